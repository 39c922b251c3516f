// The start-up steps the desktop server and the service share, once the
// settings are read and the board is claimed: the left saves cleared, the
// board loaded (what failed of it on the status line), the page made
// whole, and the daily reset started on the window's timer. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

struct ServerState;

void OpenBoard(ServerState &server, HWND window);
