// The Options dialog: the member's name, the server and its port, and the
// way to the automatic sign-in options. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// Sent to the sign-in dialog once the options are saved: it shows the name
// again.
constexpr UINT MSG_OPTIONS_SAVED = WM_APP + 102;

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
