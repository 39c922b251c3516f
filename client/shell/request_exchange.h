// The client's one request at a time, on Windows Sockets: the server's name
// looked up asynchronously, a fresh socket per OK in asynchronous-select
// mode, the request line sent once the connection completes, the reply read
// and judged, the socket closed. The steps are the request machine's; this
// layer feeds it the events. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstddef>

#include "client/core/auto_sign.h"
#include "client/core/request_machine.h"
#include "common/protocol.h"

class Alerts;

// The request under way: its steps, its look-up and its socket.
struct ClientConnection {
    explicit ClientConnection(Alerts &alerts) : alerts(alerts) {}
    Alerts &alerts; // told of a socket option the system refused
    RequestMachine machine;
    SOCKET socket = INVALID_SOCKET;
    HWND window = nullptr;   // receives the socket, look-up and timer messages
    HANDLE lookup = nullptr; // the asynchronous look-up's task, while it runs
    // The look-up's result; it must outlive the look-up.
    char host_buffer[MAXGETHOSTSTRUCT] = {};
    sockaddr_in server_address = {};
    unsigned short port = 0;              // the server's, put in the address the look-up finds
    char line[kRequestLineCapacity] = {}; // the request line, sent once connected
    size_t line_length = 0;
    int send_error = 0; // of a failed send
    // The kind of an automatic request under way, set when it starts (None
    // for the member's own).
    AutoRequest automatic = AutoRequest::None;
    bool sockets_started = false; // Windows Sockets started, until EndSockets
};

// Where a request goes and what it says.
struct RequestTarget {
    const char *server; // host name or dotted address
    const char *port;   // decimal text
    const RequestFields &fields;
};

// Starts the request against its server, the member's own (None) or an
// automatic one; the verdict comes through window's messages. An earlier
// request still open is given up. wait_ms bounds it from here to its reply.
void StartConnection(ClientConnection &c, HWND window, const RequestTarget &target,
                     AutoRequest automatic, UINT wait_ms);
void OnSocketEvent(ClientConnection &c, WPARAM wparam, LPARAM lparam);
void OnLookupDone(ClientConnection &c, WPARAM wparam, LPARAM lparam);
void OnConnectionTimer(ClientConnection &c);
// The request as one bounded exchange on a blocking wait (no messages are
// handled meanwhile): for the end of the session. Returns its verdict;
// CannotConnect also when wait_ms ran out.
RequestStep ExchangeWithin(ClientConnection &c, const RequestTarget &target, UINT wait_ms);
// Ends the request under way, if any, quietly (its timer, look-up, socket).
void EndConnection(ClientConnection &c);
// True while the member's own request (not an automatic one) is under way.
bool MemberRequestOpen(const ClientConnection &c);
// Windows Sockets clean-up, once, at Exit.
void EndSockets(ClientConnection &c);
