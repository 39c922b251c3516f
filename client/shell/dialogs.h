// The client's dialogs, one procedure each: the sign-in dialog (the
// member's name, the two states with their times, destination and return,
// OK that sends the request, and the ways to Options, the name list and
// Exit), Options (the member's name, the server and its port, the way to the
// automatic options), the automatic sign-in and sign-out options, and the
// name list (the names the name box offers, added, edited and deleted one
// at a time). Each is opened with the program as its parameter
// (DialogBoxParam, CreateDialogParam) and keeps it in its DWLP_USER.
// Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

struct ClientProgram;

INT_PTR CALLBACK SignInDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK AutoSignDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK NameListDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The program a dialog keeps: at WM_INITDIALOG it is taken from the
// parameter and kept; before that there is none.
inline ClientProgram *DialogProgram(HWND dialog, UINT message, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    return reinterpret_cast<ClientProgram *>(GetWindowLongPtrA(dialog, DWLP_USER));
}
