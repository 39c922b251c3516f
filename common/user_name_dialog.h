// The user name dialog (template 109), shared by the server's User Manager
// and the client's name list dialog. Windows only.
#pragma once
#include <windows.h>

// Capacity of the name buffer the dialog works on (29 characters and NUL).
constexpr int kUserNameBufferSize = 30;

// Runs the dialog modally, owned by owner, on name (kUserNameBufferSize
// bytes): it shows the buffer, OK stores the edit's text back, Cancel leaves
// it. Both end the dialog with result 1.
INT_PTR RunUserNameDialog(HINSTANCE instance, HWND owner, char *name);

INT_PTR CALLBACK UserNameDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
