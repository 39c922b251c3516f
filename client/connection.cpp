#include "client/connection.h"

#include <cstdio>
#include <cstring>

#include "client/client_state.h"
#include "common/alerts.h"
#include "common/protocol.h"

ConnectionState g_connection = {INVALID_SOCKET, false, 0, {}, false, false, false, false,
                                 nullptr, {}, 0};
UINT g_connection_wait_ms = 10000;

namespace {

const char kCannotConnect[] = "Can not connnect to server.  Try again later.";
const char kInvalidName[] = "That User Name is not valid.\n\r If you are sure you spelled the "
                            "name correctly, contact your network administrator.";

bool g_sockets_started = false;

// Ends the current request: its timer, its socket. Done before any message
// is shown, so that the events and the timer that arrive while the message
// box runs its own loop find nothing left to act on.
void EndRequest() {
    if (g_connection.dialog) KillTimer(g_connection.dialog, kConnectionTimer);
    CloseConnection();
    g_connection.open = false;
}

void FailRequest() {
    EndRequest();
    g_alerts->Ask(kCannotConnect, "ERROR", AlertIcon::None, AlertButtons::Ok);
}

void SendRequest() {
    char line[kRequestLineCapacity];
    size_t length = BuildRequestLine(g_request, line, sizeof line);
    g_connection.sent = true;
    if (send(g_connection.socket, line, static_cast<int>(length), 0) == SOCKET_ERROR) {
        int error = WSAGetLastError();
        EndRequest();
        char text[64];
        std::snprintf(text, sizeof text, "Error Sending: %d ", error);
        g_alerts->Ask(text, "PCommandOut1", AlertIcon::None, AlertButtons::Ok);
    }
}

// The reply decides the request once it is long enough to be whole, or
// when the server has closed: "0" is done, "1" is a name the server does
// not know, anything else (or nothing) is a request that did not get
// through.
void Conclude() {
    char first = g_connection.reply_length > 0 ? g_connection.reply[0] : '\0';
    if (first == '0') {
        EndRequest();
    } else if (first == '1') {
        EndRequest();
        g_alerts->Ask(kInvalidName, "Invalid Name", AlertIcon::None, AlertButtons::Ok);
    } else {
        FailRequest();
    }
}

// Reads what is waiting into the reply; false when the peer has closed or
// the socket failed.
bool ReceiveWaiting() {
    for (;;) {
        int room = static_cast<int>(kReplyCapacity) - g_connection.reply_length;
        if (room <= 0) return true;
        u_long waiting = 0;
        if (ioctlsocket(g_connection.socket, FIONREAD, &waiting) != 0) return false;
        if (waiting == 0) return true;
        int got = recv(g_connection.socket, g_connection.reply + g_connection.reply_length,
                       room, 0);
        if (got == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK;
        if (got == 0) return false;
        g_connection.reply_length += got;
    }
}

} // namespace

void StartConnection(HWND dialog) {
    // One request at a time: an earlier one still open is given up quietly.
    if (g_connection.open) EndRequest();
    if (!g_sockets_started) {
        WSADATA data;
        g_sockets_started = WSAStartup(0x0101, &data) == 0;
    }
    g_connection.dialog = dialog;
    g_connection.connected = false;
    g_connection.failed = false;
    g_connection.send_wanted = false;
    g_connection.sent = false;
    g_connection.reply_length = 0;
    g_connection.open = true;
    g_connection.socket = socket(AF_INET, SOCK_STREAM, 0);
    SetTimer(dialog, kConnectionTimer, g_connection_wait_ms, nullptr);
    if (g_connection.socket == INVALID_SOCKET ||
        WSAAsyncSelect(g_connection.socket, dialog, MSG_SOCKET_EVENT,
                       FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0) {
        CloseConnection();
        g_connection.failed = true;
        return;
    }
    hostent *host = gethostbyname(g_client.server);
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list[0]) {
        CloseConnection();
        g_connection.failed = true;
        return;
    }
    std::memset(&g_connection.server_address, 0, sizeof g_connection.server_address);
    g_connection.server_address.sin_family = AF_INET;
    g_connection.server_address.sin_port = htons(ParsePort(g_client.port));
    size_t length = static_cast<size_t>(host->h_length);
    if (length > sizeof g_connection.server_address.sin_addr)
        length = sizeof g_connection.server_address.sin_addr;
    std::memcpy(&g_connection.server_address.sin_addr, host->h_addr_list[0], length);
    if (connect(g_connection.socket, reinterpret_cast<sockaddr *>(&g_connection.server_address),
                sizeof g_connection.server_address) == SOCKET_ERROR &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        CloseConnection();
        g_connection.failed = true;
        return;
    }
    SOCKET s = g_connection.socket;
    linger off = {0, 0};
    if (setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&off),
                   sizeof off) == SOCKET_ERROR)
        g_alerts->Ask("setsockopt LINGER failed!", "Winsock Error", AlertIcon::None,
                      AlertButtons::Ok);
    int keep_alive = 1;
    if (setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char *>(&keep_alive),
                   sizeof keep_alive) == SOCKET_ERROR)
        g_alerts->Ask("setsockopt KEEPALIVEfailed!", "Winsock Error", AlertIcon::None,
                      AlertButtons::Ok);
}

void OnSocketEvent(WPARAM wparam, LPARAM lparam) {
    // Events of an earlier socket, or arriving after the request ended,
    // are not this request's.
    if (!g_connection.open || g_connection.socket == INVALID_SOCKET ||
        static_cast<SOCKET>(wparam) != g_connection.socket)
        return;
    WORD event = WSAGETSELECTEVENT(lparam);
    WORD error = WSAGETSELECTERROR(lparam);
    switch (event) {
    case FD_CONNECT:
        if (error != 0) {
            FailRequest();
            return;
        }
        g_connection.connected = true;
        if (g_connection.send_wanted && !g_connection.sent) SendRequest();
        break;
    case FD_READ:
        ReadReply();
        break;
    case FD_CLOSE:
        // Whatever arrived with the close is read before the reply is
        // judged.
        ReceiveWaiting();
        Conclude();
        break;
    default:
        break;
    }
}

void OnSendAttempt(HWND dialog) {
    ++g_connection.attempts;
    if (!g_connection.open) return;
    if (g_connection.failed) {
        FailRequest();
        return;
    }
    g_connection.send_wanted = true;
    // Not yet connected: the completion of the connection sends the line,
    // and the request's timer bounds the wait.
    if (g_connection.connected && !g_connection.sent) SendRequest();
}

void OnConnectionTimer() {
    if (g_connection.dialog) KillTimer(g_connection.dialog, kConnectionTimer);
    if (g_connection.open) FailRequest();
}

void ReadReply() {
    if (!ReceiveWaiting()) {
        Conclude();
        return;
    }
    if (g_connection.reply_length >= 3) Conclude();
}

void CloseConnection() {
    if (g_connection.socket != INVALID_SOCKET) {
        shutdown(g_connection.socket, SD_BOTH);
        closesocket(g_connection.socket);
    }
    g_connection.socket = INVALID_SOCKET;
    g_connection.connected = false;
    // Notifications of the closed socket still queued would name a handle
    // that the next socket may reuse: drop them.
    MSG stale;
    if (g_connection.dialog)
        while (PeekMessageA(&stale, g_connection.dialog, MSG_SOCKET_EVENT, MSG_SOCKET_EVENT,
                            PM_REMOVE)) {
        }
}

// Windows Sockets clean-up at Exit.
void EndSockets() {
    if (g_connection.open) EndRequest();
    if (g_sockets_started) WSACleanup();
    g_sockets_started = false;
}
