// The server's main window: class "Tesmar 1.41", the menu, the status line
// and the socket messages. It keeps the program object in GWLP_USERDATA.
// Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

struct ServerState;

extern const char kMainWindowClass[]; // "Tesmar 1.41", also the title

// The warning the Users command shows while no page file is set.
extern const char kSetOptionsText[];

// Registers the window class (icon "ICON", menu "SISODMENU" from instance).
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the 150 x 150 main window of server (from server.instance), keeps
// it in server.main_window and makes it the status line's window. Returns
// null on failure.
HWND CreateMainWindow(ServerState &server);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
