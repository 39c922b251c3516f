// The status line: the one line of text the main window shows, the latest
// socket error or file failure. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// The window whose client area shows the status line.
void SetStatusWindow(HWND window);

// Copies text (cut to 1023 characters) and has the whole window repainted.
void SetStatusText(const char *text);

// The text to paint and its length in characters.
const char *StatusText();
int StatusLength();
