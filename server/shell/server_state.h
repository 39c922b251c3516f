// The server program's one instance of everything: its settings, its board,
// its window. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "common/alerts.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"

extern HINSTANCE g_instance;
extern HWND g_main_window;
extern ServerSettings g_settings;
extern UserTable g_table;
// Every message box of the server goes through here (tests put a recorder
// in its place).
extern Alerts *g_alerts;

// The board as the table operations and request handlers take it.
BoardContext ServerBoard();

// Tells the administrator on the status line that a change reached the data
// file or the page only partly ("Cannot save <path>", "Cannot write the
// page <path>").
void ReportBoardWrites(const BoardWrites &writes);
