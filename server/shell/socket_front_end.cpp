#include "server/shell/socket_front_end.h"

#include <cstring>
#include <string>
#include <vector>

#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/engine/socket_error_text.h"
#include "server/engine/status_line.h"
#include "server/web/event_stream.h"

SocketFrontEnd::SocketFrontEnd(StatusLine &status) : status_(status), engine_(*this, status, web_) {
    for (SOCKET &listening : listening_) listening = INVALID_SOCKET;
}

void SocketFrontEnd::Report(const char *label, int code) {
    char text[128];
    char error[64];
    SocketErrorText(code, error, sizeof error);
    CopyCut(text, label);
    AppendCut(text, error);
    status_.SetStatusText(text);
}

void SocketFrontEnd::OpenListener(HWND window, const char *port, Pool pool) {
    window_ = window;
    SOCKET &listening = listening_[static_cast<int>(pool)];
    // Port 0 would let the system choose one that nobody knows.
    if (pool == Pool::Web && ParsePort(port) == 0) {
        Report("Listen: ", WSAEINVAL);
        return;
    }
    listening = socket(AF_INET, SOCK_STREAM, 0);
    if (listening == INVALID_SOCKET) {
        Report("Listen: ", WSAGetLastError());
        return;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(ParsePort(port));
    // The system's largest backlog, so that a crowd signing in at once
    // queues instead of being refused.
    if (bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listening, SOMAXCONN) != 0) {
        Report("Listen: ", WSAGetLastError());
        // Nothing listens: the pool takes no one, and the sweep's look at
        // its backlog must not replace the reason with accept's complaint.
        closesocket(listening);
        listening = INVALID_SOCKET;
        return;
    }
    WSAAsyncSelect(listening, window_, MSG_ACCEPT, FD_ACCEPT);
    SetTimer(window_, kSweepTimer, kSweepMs, nullptr);
}

void SocketFrontEnd::RollCallChanged(const std::string &json, bool running) {
    std::string event;
    AppendRollCallEvent(event, json);
    engine_.Broadcast(event, running);
}

void SocketFrontEnd::AllowWebSignIn(const ServerSettings &settings, WebSignKey &key, Clock &clock) {
    std::vector<std::string> names;
    const COMPUTER_NAME_FORMAT kinds[] = {ComputerNameNetBIOS, ComputerNameDnsHostname,
                                          ComputerNameDnsFullyQualified};
    for (COMPUTER_NAME_FORMAT kind : kinds) {
        char name[256];
        DWORD size = sizeof name;
        if (GetComputerNameExA(kind, name, &size) && name[0] != '\0') names.push_back(name);
    }
    char host[256];
    if (gethostname(host, sizeof host) == 0) {
        names.push_back(host);
        // The machine's addresses, as its own name resolves.
        if (hostent *entry = gethostbyname(host)) {
            for (char **address = entry->h_addr_list; address && *address; ++address) {
                in_addr in;
                std::memcpy(&in, *address, sizeof in);
                names.push_back(inet_ntoa(in));
            }
        }
    }
    web_.AllowWebSignIn(settings, key, names, clock);
}

void SocketFrontEnd::AcceptMessage(WPARAM listening) {
    // Each accept lets Windows Sockets post a further FD_ACCEPT while
    // connections wait, so a burst of accepts leaves as many notices
    // queued. They tell nothing the engine's accepts do not find out, and
    // a peer that reconnects as fast as it is ended would have them flood
    // the queue ahead of every other socket's notice: those queued now are
    // taken together with this one.
    bool pools[kPoolCount] = {};
    MSG queued;
    do {
        for (int pool = 0; pool < kPoolCount; ++pool)
            if (listening_[pool] != INVALID_SOCKET &&
                static_cast<WPARAM>(listening_[pool]) == listening)
                pools[pool] = true;
        if (!PeekMessageA(&queued, window_, MSG_ACCEPT, MSG_ACCEPT, PM_REMOVE)) break;
        listening = queued.wParam;
    } while (true);
    for (int pool = 0; pool < kPoolCount; ++pool)
        if (pools[pool]) engine_.AcceptNotice(static_cast<Pool>(pool), GetTickCount64());
    TickWhenDue();
}

void SocketFrontEnd::TickWhenDue() {
    // The timer's message comes only when no other is queued: under a
    // steady stream of notices the deadlines are kept from here.
    ULONGLONG now = GetTickCount64();
    if (now - ticked_ < kSweepMs) return;
    ticked_ = now;
    engine_.Tick(now);
}

void SocketFrontEnd::SocketMessage(WPARAM socket, LPARAM event) {
    // The notice's error code is not looked at: it may be left from an
    // earlier socket of the same handle value. The engine asks the socket.
    if (WSAGETSELECTEVENT(event) == FD_WRITE)
        engine_.WriteNotice(socket, GetTickCount64());
    else
        engine_.ReadNotice(socket, GetTickCount64());
    TickWhenDue();
}

void SocketFrontEnd::TimerMessage() {
    ticked_ = GetTickCount64();
    engine_.Tick(ticked_);
}

PublishResult SocketFrontEnd::RunBatch(BoardContext &board, Publisher &publisher, bool &ran) {
    MSG queued;
    bool notices = PeekMessageA(&queued, window_, MSG_ACCEPT, MSG_SOCKET, PM_NOREMOVE) != 0;
    PublishResult result;
    ran = engine_.RunBatchWhenDue(GetTickCount64(), notices, board, publisher, result);
    return result;
}

EngineSockets::Accepted SocketFrontEnd::Accept(Pool pool) {
    Accepted accepted;
    if (listening_[static_cast<int>(pool)] == INVALID_SOCKET) {
        accepted.error = kErrorWouldBlock;
        return accepted;
    }
    sockaddr_in peer = {};
    int peer_size = sizeof peer;
    SOCKET socket =
        accept(listening_[static_cast<int>(pool)], reinterpret_cast<sockaddr *>(&peer), &peer_size);
    if (socket == INVALID_SOCKET) {
        accepted.error = WSAGetLastError();
        return accepted;
    }
    accepted.socket = static_cast<SocketId>(socket);
    accepted.peer = inet_ntoa(peer.sin_addr);
    return accepted;
}

void SocketFrontEnd::Watch(SocketId id, Pool pool) {
    SOCKET socket = static_cast<SOCKET>(id);
    // The accepted socket inherited the listening socket's watch; its own
    // notices come as messages keyed by the socket. A web reply longer than
    // one send goes on when the socket takes more (FD_WRITE).
    long events = FD_READ | FD_CLOSE | (pool == Pool::Web ? FD_WRITE : 0);
    // A browser that watches the board and stops reading is given up once
    // its events pile up in the engine: a bounded send buffer keeps the
    // system from taking megabytes for it first. Replies longer than it go
    // on at FD_WRITE.
    if (pool == Pool::Web) {
        int buffer = 32 * 1024;
        setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char *>(&buffer),
                   sizeof buffer);
    }
    WSAAsyncSelect(socket, window_, MSG_SOCKET, events);
}

EngineSockets::Io SocketFrontEnd::Receive(SocketId socket, char *bytes, size_t capacity) {
    Io io;
    int got = recv(static_cast<SOCKET>(socket), bytes, static_cast<int>(capacity), 0);
    if (got == SOCKET_ERROR)
        io.error = WSAGetLastError();
    else
        io.count = static_cast<size_t>(got);
    return io;
}

EngineSockets::Io SocketFrontEnd::Send(SocketId socket, const char *bytes, size_t size) {
    Io io;
    int sent = send(static_cast<SOCKET>(socket), bytes, static_cast<int>(size), 0);
    if (sent == SOCKET_ERROR)
        io.error = WSAGetLastError();
    else
        io.count = static_cast<size_t>(sent);
    return io;
}

size_t SocketFrontEnd::Unread(SocketId socket) {
    u_long waiting = 0;
    if (ioctlsocket(static_cast<SOCKET>(socket), FIONREAD, &waiting) != 0) return 0;
    return waiting;
}

void SocketFrontEnd::ShutSending(SocketId socket) {
    shutdown(static_cast<SOCKET>(socket), SD_SEND);
}

void SocketFrontEnd::Close(SocketId socket) {
    // Notices still queued for it find no connection in the engine (or a
    // new one with the same value, which asks its own socket).
    shutdown(static_cast<SOCKET>(socket), SD_BOTH);
    closesocket(static_cast<SOCKET>(socket));
}

void SocketFrontEnd::Refuse(SocketId socket) {
    // Never watched, nothing sent: the close alone ends it.
    closesocket(static_cast<SOCKET>(socket));
}

void SocketFrontEnd::CloseSockets() {
    if (window_) KillTimer(window_, kSweepTimer);
    StopAccepting();
    engine_.CloseAll();
}

void SocketFrontEnd::StopAccepting() {
    for (SOCKET &listening : listening_) {
        if (listening == INVALID_SOCKET) continue;
        shutdown(listening, SD_BOTH);
        closesocket(listening);
        listening = INVALID_SOCKET;
    }
}

PublishResult SocketFrontEnd::FinishBatch(BoardContext &board, Publisher &publisher) {
    PublishResult result;
    engine_.RunBatchWhenDue(GetTickCount64(), false, board, publisher, result);
    return result;
}

int SocketFrontEnd::ListeningPort(Pool pool) const {
    SOCKET listening = ListeningSocket(pool);
    if (listening == INVALID_SOCKET) return 0;
    sockaddr_in address = {};
    int size = sizeof address;
    if (getsockname(listening, reinterpret_cast<sockaddr *>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}
