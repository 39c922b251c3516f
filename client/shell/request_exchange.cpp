#include "client/shell/request_exchange.h"

#include <cstring>

#include "client/shell/wenlo_ids.h"
#include "common/alerts.h"
#include "common/protocol.h"

namespace {

void StartSockets(ClientConnection &c) {
    if (c.sockets_started) return;
    WSADATA data;
    c.sockets_started = WSAStartup(0x0101, &data) == 0;
}

void CloseSocket(ClientConnection &c) {
    if (c.socket != INVALID_SOCKET) {
        shutdown(c.socket, SD_BOTH);
        closesocket(c.socket);
    }
    c.socket = INVALID_SOCKET;
    // Notifications of the closed socket still queued would name a handle
    // that the next socket may reuse: drop them.
    MSG stale;
    if (c.window)
        while (PeekMessageA(&stale, c.window, MSG_SOCKET_EVENT, MSG_SOCKET_EVENT, PM_REMOVE)) {
        }
}

// Ends the request's timer, look-up and socket. Done before any message is
// shown, so that the events and the timer that arrive while the message box
// runs its own loop find nothing left to act on.
void Release(ClientConnection &c) {
    if (c.window) KillTimer(c.window, kConnectionTimer);
    if (c.lookup) WSACancelAsyncRequest(c.lookup);
    c.lookup = nullptr;
    CloseSocket(c);
}

void Carry(ClientConnection &c, RequestStep step);

void Connect(ClientConnection &c) {
    c.socket = socket(AF_INET, SOCK_STREAM, 0);
    if (c.socket == INVALID_SOCKET ||
        WSAAsyncSelect(c.socket, c.window, MSG_SOCKET_EVENT,
                       FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) != 0 ||
        (connect(c.socket, reinterpret_cast<sockaddr *>(&c.server_address),
                 sizeof c.server_address) == SOCKET_ERROR &&
         WSAGetLastError() != WSAEWOULDBLOCK)) {
        Carry(c, c.machine.ConnectEnded(false));
        return;
    }
    linger off = {0, 0};
    if (setsockopt(c.socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&off),
                   sizeof off) == SOCKET_ERROR)
        c.alerts.Ask("setsockopt LINGER failed!", "Winsock Error", AlertIcon::None,
                     AlertButtons::Ok);
    int keep_alive = 1;
    if (setsockopt(c.socket, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char *>(&keep_alive),
                   sizeof keep_alive) == SOCKET_ERROR)
        c.alerts.Ask("setsockopt KEEPALIVEfailed!", "Winsock Error", AlertIcon::None,
                     AlertButtons::Ok);
}

void SendLine(ClientConnection &c) {
    bool ok = send(c.socket, c.line, static_cast<int>(c.line_length), 0) != SOCKET_ERROR;
    c.send_error = ok ? 0 : WSAGetLastError();
    Carry(c, c.machine.SendEnded(ok));
}

// Carries out what the machine answered to an event.
void Carry(ClientConnection &c, RequestStep step) {
    switch (step) {
    case RequestStep::Wait:
        return;
    case RequestStep::Connect:
        Connect(c);
        return;
    case RequestStep::Send:
        SendLine(c);
        return;
    default: {
        AutoRequest automatic = c.automatic;
        c.automatic = AutoRequest::None;
        Release(c);
        // The window that asked hears the verdict, at once.
        if (c.window)
            SendMessageA(c.window, MSG_REQUEST_ENDED, static_cast<WPARAM>(step),
                         static_cast<LPARAM>(automatic));
        return;
    }
    }
}

// Reads what is waiting and feeds it to the machine; at the close, the
// close follows the last bytes.
RequestStep ReceiveWaiting(ClientConnection &c, bool closing) {
    for (;;) {
        char buffer[kReplyCapacity];
        int got = recv(c.socket, buffer, sizeof buffer, 0);
        if (got > 0) {
            RequestStep step = c.machine.Received(buffer, static_cast<size_t>(got));
            if (step != RequestStep::Wait) return step;
            continue;
        }
        if (got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK && !closing)
            return RequestStep::Wait;
        return c.machine.Closed();
    }
}

void SetAddress(ClientConnection &c, const void *address, size_t length) {
    sockaddr_in &a = c.server_address;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(c.port);
    if (length > sizeof a.sin_addr) length = sizeof a.sin_addr;
    std::memcpy(&a.sin_addr, address, length);
}

} // namespace

namespace {

// Waits until the socket is ready for reading (or writing) or the deadline
// passes.
bool WaitFor(SOCKET s, bool for_write, DWORD deadline) {
    DWORD now = GetTickCount();
    if (static_cast<int>(deadline - now) <= 0) return false;
    DWORD left = deadline - now;
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval wait = {static_cast<long>(left / 1000), static_cast<long>(left % 1000) * 1000};
    int n = select(0, for_write ? nullptr : &ready, for_write ? &ready : nullptr, &failed, &wait);
    return n > 0 && FD_ISSET(s, &ready);
}

// Looks the server up for the bounded exchange: a dotted address at once,
// a host name with the system's own blocking look-up (which the exchange's
// bound does not cover; the system's resolver cache usually answers it).
bool AddressNow(ClientConnection &c, const char *server) {
    unsigned long dotted = inet_addr(server);
    if (server[0] && dotted != INADDR_NONE) {
        SetAddress(c, &dotted, sizeof dotted);
        return true;
    }
    hostent *host = server[0] ? gethostbyname(server) : nullptr;
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list[0]) return false;
    SetAddress(c, host->h_addr_list[0], static_cast<size_t>(host->h_length));
    return true;
}

} // namespace

RequestStep ExchangeWithin(ClientConnection &c, const RequestTarget &target, UINT wait_ms) {
    EndConnection(c);
    StartSockets(c);
    c.port = ParsePort(target.port);
    DWORD deadline = GetTickCount() + wait_ms;
    RequestMachine machine;
    machine.Start();
    RequestStep step = machine.LookupEnded(AddressNow(c, target.server));
    if (step != RequestStep::Connect) return step;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    u_long non_blocking = 1;
    bool ok = s != INVALID_SOCKET && ioctlsocket(s, FIONBIO, &non_blocking) == 0;
    if (ok && connect(s, reinterpret_cast<sockaddr *>(&c.server_address),
                      sizeof c.server_address) == SOCKET_ERROR)
        ok = WSAGetLastError() == WSAEWOULDBLOCK && WaitFor(s, true, deadline);
    step = machine.ConnectEnded(ok);
    if (step == RequestStep::Send) {
        char line[kRequestLineCapacity];
        size_t length = BuildRequestLine(target.fields, line, sizeof line);
        step = machine.SendEnded(send(s, line, static_cast<int>(length), 0) != SOCKET_ERROR);
        while (step == RequestStep::Wait) {
            if (!WaitFor(s, false, deadline)) {
                step = machine.TimedOut();
                break;
            }
            char buffer[kReplyCapacity];
            int got = recv(s, buffer, sizeof buffer, 0);
            if (got > 0)
                step = machine.Received(buffer, static_cast<size_t>(got));
            else if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
                step = machine.Closed();
        }
    }
    if (s != INVALID_SOCKET) {
        shutdown(s, SD_BOTH);
        closesocket(s);
    }
    return step;
}

void StartConnection(ClientConnection &c, HWND window, const RequestTarget &target,
                     AutoRequest automatic, UINT wait_ms) {
    // One request at a time: an earlier one still open is given up quietly.
    Release(c);
    c.machine.Start();
    c.automatic = automatic;
    c.port = ParsePort(target.port);
    c.line_length = BuildRequestLine(target.fields, c.line, sizeof c.line);
    StartSockets(c);
    c.window = window;
    SetTimer(window, kConnectionTimer, wait_ms, nullptr);
    const char *server = target.server;
    // A dotted address needs no look-up.
    unsigned long dotted = inet_addr(server);
    if (server[0] && dotted != INADDR_NONE) {
        SetAddress(c, &dotted, sizeof dotted);
        Carry(c, c.machine.LookupEnded(true));
        return;
    }
    c.lookup =
        WSAAsyncGetHostByName(window, MSG_LOOKUP_DONE, server, c.host_buffer, sizeof c.host_buffer);
    if (!c.lookup) Carry(c, c.machine.LookupEnded(false));
}

void OnLookupDone(ClientConnection &c, WPARAM wparam, LPARAM lparam) {
    // The completion of a look-up given up or replaced is not this one's.
    if (!c.lookup || reinterpret_cast<HANDLE>(wparam) != c.lookup) return;
    c.lookup = nullptr;
    const hostent *host = reinterpret_cast<const hostent *>(c.host_buffer);
    bool found = WSAGETASYNCERROR(lparam) == 0 && host->h_addrtype == AF_INET &&
                 host->h_addr_list && host->h_addr_list[0];
    if (found) SetAddress(c, host->h_addr_list[0], static_cast<size_t>(host->h_length));
    Carry(c, c.machine.LookupEnded(found));
}

void OnSocketEvent(ClientConnection &c, WPARAM wparam, LPARAM lparam) {
    // Events of an earlier socket, or arriving after the request ended,
    // are not this request's.
    if (!c.machine.Open() || c.socket == INVALID_SOCKET || static_cast<SOCKET>(wparam) != c.socket)
        return;
    switch (WSAGETSELECTEVENT(lparam)) {
    case FD_CONNECT:
        Carry(c, c.machine.ConnectEnded(WSAGETSELECTERROR(lparam) == 0));
        break;
    case FD_READ:
        Carry(c, ReceiveWaiting(c, false));
        break;
    case FD_CLOSE:
        Carry(c, ReceiveWaiting(c, true));
        break;
    default:
        break;
    }
}

void OnConnectionTimer(ClientConnection &c) {
    if (c.window) KillTimer(c.window, kConnectionTimer);
    Carry(c, c.machine.TimedOut());
}

void EndConnection(ClientConnection &c) {
    Release(c);
    c.machine.Cancel();
    c.automatic = AutoRequest::None;
}

bool MemberRequestOpen(const ClientConnection &c) {
    return c.machine.Open() && c.automatic == AutoRequest::None;
}

void EndSockets(ClientConnection &c) {
    EndConnection(c);
    if (c.sockets_started) WSACleanup();
    c.sockets_started = false;
}
