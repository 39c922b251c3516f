// The visible client: the sign-in dialog, the state its notification-area
// icon shows, the options and name list dialogs. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "client/tray_icon.h"

enum class TrayChoice { Keep, SignIn, SignOut };

INT_PTR CALLBACK SignInDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// The automatic sign-in and sign-out options, opened from Options.
INT_PTR CALLBACK AutoSignDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK NameListDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Selects the state's radio button and shows its icon and tip.
void SetTrayState(TrayChoice choice);

// Brings the sign-in dialog to the front: a hidden one is shown with the
// user name and the time of the next action refreshed, a minimised one is
// restored.
void ShowSignInDialog();

// Fills the name box again with the own name and the listed names, and
// puts the own name in its edit field (after the options changed it).
void RefreshNameBox();

// True while the dialog has Sign In selected.
bool SignInSelected();
