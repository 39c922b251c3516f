// The name list dialog: the names the sign-in dialog's name box offers,
// added, edited and deleted one at a time. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

INT_PTR CALLBACK NameListDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
