// The server as a service: the same program as on the desktop (settings,
// board, engine, page, history, daily reset, web port) on a message-only
// window, with no window, dialog or message box: alerts and the status
// line's failures go to the event log, missing settings take their
// defaults without a question, and a stop finishes the batch at hand
// before the connections close. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// Runs the service until it is stopped; its exit code for the manager
// (0, or why it could not serve).
DWORD RunServiceProgram(HINSTANCE instance);

// The service's stop: the listening sockets closed at once, the
// connections already open given this long to finish (their requests
// answered, their batch published), then closed.
constexpr ULONGLONG kStopDrainMs = 4000;
