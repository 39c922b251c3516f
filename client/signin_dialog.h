// The sign-in dialog: the member's name, the two states with their times,
// destination and return, OK that sends the request, and the ways to
// Options, the name list and Exit. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

INT_PTR CALLBACK SignInDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Brings the sign-in dialog to the front: a hidden one is shown with the
// user name and the time of the next action refreshed, a minimised one is
// restored.
void ShowSignInDialog();

// Fills the name box again with the own name and the listed names, and
// puts the own name in its edit field (after the options changed it).
void RefreshNameBox();
