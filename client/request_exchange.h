// The client's one request at a time, on Windows Sockets: the server's name
// looked up asynchronously, a fresh socket per OK in asynchronous-select
// mode, the request line sent once the connection completes, the reply read
// and judged, the socket closed. The steps are the request machine's; this
// layer feeds it the events. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "client/auto_sign.h"
#include "client/request_machine.h"

// Socket notifications (wParam the socket, low word of lParam the event,
// high word the error code).
constexpr UINT MSG_SOCKET_EVENT = WM_USER + 100;
// The asynchronous look-up's completion (wParam its task handle, high word
// of lParam the error code).
constexpr UINT MSG_LOOKUP_DONE = WM_USER + 101;
// The request's verdict, sent to its window when it ends: wParam the
// RequestStep, lParam the AutoRequest (None for the member's own).
constexpr UINT MSG_REQUEST_ENDED = WM_USER + 102;
// The window's timer that bounds one request.
constexpr UINT_PTR kConnectionTimer = 100;

// Starts the request of the program's request fields against its server
// and port, the member's own (None) or an automatic one; the verdict comes
// through window's messages. An earlier request still open is given up.
void StartConnection(HWND window, AutoRequest automatic);
void OnSocketEvent(WPARAM wparam, LPARAM lparam);
void OnLookupDone(WPARAM wparam, LPARAM lparam);
void OnConnectionTimer();
// The request of the program's request fields as one bounded exchange on
// a blocking wait (no messages are handled meanwhile): for the end of the
// session. Returns its verdict; CannotConnect also when wait_ms ran out.
RequestStep ExchangeWithin(UINT wait_ms);
// Ends the request under way, if any, quietly (its timer, look-up, socket).
void EndConnection();
// True while the member's own request (not an automatic one) is under way.
bool MemberRequestOpen();
// Windows Sockets clean-up, once, at Exit.
void EndSockets();
