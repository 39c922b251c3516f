// The daily reset on the main window's timer: every few seconds the
// program's DailyReset is looked at, and what it reports is told on the
// status line. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

struct ServerState;

// The main window's timer that looks whether the reset is due.
constexpr UINT_PTR kDailyResetTimer = 1;
constexpr UINT kDailyResetCheckMs = 5000;

// At start-up, once the board is loaded: the reset that was missed (from
// lastreset.txt), then the timer on window.
void StartDailyReset(ServerState &server, HWND window);

// The timer's tick.
void CheckDailyReset(ServerState &server);

// ResetTime was changed: its first reset is the next time it comes round.
// A lastreset.txt that cannot be written shows "Cannot write <path>" on the
// status line and is tried again at every check.
void RearmDailyReset(ServerState &server);
