// The administration dialogs, opened from the main window's menu.
// Windows only.
#pragma once
#include <windows.h>

void RunOptionsDialog(HWND owner); // template 107
void RunUserManager(HWND owner);   // template 108
void RunAboutBox(HWND owner);      // template 111
void RunBoardOptionsDialog(HWND owner); // template 115
