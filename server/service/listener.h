// The listening socket and the one-connection-at-a-time cycle: accept,
// read one request line, dispatch it, close. Driven by two window messages
// on the main window's thread. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstddef>

#include "server/service/request_handlers.h"

struct BoardContext;

constexpr UINT MSG_LISTEN = WM_USER + 1; // posted once at start-up
constexpr UINT MSG_ACCEPT = WM_USER + 2; // FD_ACCEPT on the listening socket

// The whole request must arrive within this time of the accept; a silent
// client is then let go as after a failed receive.
constexpr DWORD kRequestDeadlineMs = 3000;

// Opens the listening socket on the port text (all local addresses) and
// watches it for MSG_ACCEPT to window. Failures go to the status line with
// "Listen: " in front.
void OpenListener(HWND window, const char *port);

// Serves one whole connection: accept, read within the deadline, dispatch,
// close, watch the listening socket again. Returns what the request did
// (Silent when nothing was dispatched). Failures go to the status line with
// "DoConnection: " (accept) or "GetRequest: " (receive) in front.
RequestOutcome AcceptConnection(BoardContext &board);

// Shuts down and closes the listening socket and the current connection.
void CloseSockets();

// "Windows Sockets reports error %04x" and the two named texts.
void SocketErrorText(int code, char *out, size_t capacity);

// The port the listening socket is bound to, 0 when there is none.
int ListeningPort();
