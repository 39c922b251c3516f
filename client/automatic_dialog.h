// The automatic sign-in and sign-out options, opened from Options. Windows
// only.
#pragma once
#include <winsock2.h>
#include <windows.h>

INT_PTR CALLBACK AutoSignDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
