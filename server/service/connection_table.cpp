#include "server/service/connection_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/ansi_text.h"
#include "common/code_page.h"
#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/service/connection.h"
#include "server/service/request_handlers.h"
#include "server/service/status_line.h"

namespace {

class SocketConnection : public Connection {
  public:
    explicit SocketConnection(SOCKET socket) : socket_(socket) {}
    void Send(const char *bytes, size_t size) override {
        send(socket_, bytes, static_cast<int>(size), 0);
    }

  private:
    SOCKET socket_;
};

} // namespace

void SocketErrorText(int code, char *out, size_t capacity) {
    if (code == WSAVERNOTSUPPORTED)
        CopyCut(out, capacity, "This version of Windows Sockets is not supported");
    else if (code == WSASYSNOTREADY)
        CopyCut(out, capacity, "Windows Sockets is not present or is not responding");
    else
        std::snprintf(out, capacity, "Windows Sockets reports error %04x",
                      static_cast<unsigned>(code));
}

void ConnectionTable::Report(const char *label, int code) {
    char text[128];
    char error[64];
    SocketErrorText(code, error, sizeof error);
    CopyCut(text, label);
    AppendCut(text, error);
    status_.SetStatusText(text);
}

void ConnectionTable::OpenListener(HWND window, const char *port, PortKind kind) {
    window_ = window;
    SOCKET &listening = listening_[static_cast<int>(kind)];
    // Port 0 would let the system choose one that nobody knows.
    if (kind == PortKind::Web && ParsePort(port) == 0) {
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
    if (bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        Report("Listen: ", WSAGetLastError());
        return;
    }
    // The system's largest backlog, so that a crowd signing in at once
    // queues instead of being refused.
    if (listen(listening, SOMAXCONN) != 0) {
        Report("Listen: ", WSAGetLastError());
        return;
    }
    WSAAsyncSelect(listening, window_, MSG_ACCEPT, FD_ACCEPT);
    SetTimer(window_, kSweepTimer, kSweepMs, nullptr);
}

ConnectionTable::Open *ConnectionTable::Find(SOCKET socket) {
    for (Open &open : open_) {
        if (open.socket == socket) return &open;
    }
    return nullptr;
}

void ConnectionTable::Close(SOCKET socket) {
    // No further events are posted for it; those already queued find no
    // entry and are dropped.
    WSAAsyncSelect(socket, window_, 0, 0);
    shutdown(socket, SD_BOTH);
    closesocket(socket);
    open_.erase(std::remove_if(open_.begin(), open_.end(),
                               [socket](const Open &open) { return open.socket == socket; }),
                open_.end());
}

void ConnectionTable::EndWithError(SOCKET socket, const char *label, int code) {
    Report(label, code);
    Close(socket);
}

void ConnectionTable::MakeRoom() {
    // The one open longest whose request is not complete: an attacker's
    // idle connections are the oldest, a member's request arrives within
    // milliseconds of its connect.
    Open *oldest = nullptr;
    for (Open &open : open_) {
        if (open.completed == 0 && (!oldest || open.accepted_at < oldest->accepted_at))
            oldest = &open;
    }
    if (oldest) EndWithError(oldest->socket, "GetRequest: ", WSAECONNABORTED);
}

void ConnectionTable::Accept(WPARAM listening_param) {
    SOCKET listening = static_cast<SOCKET>(listening_param);
    if (listening == INVALID_SOCKET) return;
    PortKind kind;
    if (listening == listening_[static_cast<int>(PortKind::Requests)])
        kind = PortKind::Requests;
    else if (listening == listening_[static_cast<int>(PortKind::Web)])
        kind = PortKind::Web;
    else
        return;
    sockaddr_in peer = {};
    int peer_size = sizeof peer;
    SOCKET socket = accept(listening, reinterpret_cast<sockaddr *>(&peer), &peer_size);
    if (socket == INVALID_SOCKET) {
        // A notice for a connection that has gone again (or was taken
        // already) is no failure.
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) Report("DoConnection: ", error);
        return;
    }
    if (open_.size() >= kMaxConnections) MakeRoom();
    if (open_.size() >= kMaxConnections) {
        // Every open connection waits for its batch: this one cannot be
        // served now.
        EndWithError(socket, "DoConnection: ", WSAEMFILE);
        return;
    }
    ++accepted_;
    Open open;
    open.socket = socket;
    open.kind = kind;
    open.accepted_at = GetTickCount64();
    open.peer = inet_ntoa(peer.sin_addr);
    if (kind == PortKind::Web) open.web = std::make_unique<WebExchange>();
    open_.push_back(std::move(open));
    // The accepted socket inherited the listening socket's watch; its own
    // events come as messages keyed by the socket. A web reply longer than
    // one send goes on when the socket takes more (FD_WRITE).
    long events = FD_READ | FD_CLOSE | (kind == PortKind::Web ? FD_WRITE : 0);
    WSAAsyncSelect(socket, window_, MSG_SOCKET, events);
}

WebContent ConnectionTable::Content() const {
    static const std::string none;
    const std::string &page = source_ ? source_->PageBytes() : none;
    const std::string &feed = source_ ? source_->FeedBytes() : none;
    return WebContent{page.data(), page.size(), IanaCharsetName(ActiveCodePage()), feed.data(),
                      feed.size()};
}

void ConnectionTable::WebEvent(Open &open, int event, int error) {
    SOCKET socket = open.socket;
    WebExchange &web = *open.web;
    if (error != 0) {
        // A peer that goes away after its reply is no failure of the server.
        if (web.phase() == WebExchange::Phase::Reading)
            EndWithError(socket, "GetRequest: ", error);
        else
            Close(socket);
        return;
    }
    bool closing = event == FD_CLOSE;
    if (event == FD_READ || closing) {
        // One receive for a read notice; at a close, everything left.
        char chunk[1024];
        for (;;) {
            int got = recv(socket, chunk, sizeof chunk, 0);
            if (got == SOCKET_ERROR) {
                int code = WSAGetLastError();
                if (code == WSAEWOULDBLOCK) break;
                if (web.phase() == WebExchange::Phase::Reading)
                    EndWithError(socket, "GetRequest: ", code);
                else
                    Close(socket);
                return;
            }
            if (got == 0) {
                if (closing) web.PeerClosed(Content());
                break;
            }
            web.Received(chunk, static_cast<size_t>(got), Content());
            if (!closing) break;
        }
    }
    SendWeb(open);
}

void ConnectionTable::SendWeb(Open &open) {
    WebExchange &web = *open.web;
    while (web.phase() == WebExchange::Phase::Sending) {
        int n = send(open.socket, web.Unsent(), static_cast<int>(web.UnsentSize()), 0);
        if (n == SOCKET_ERROR) {
            // Full: the rest goes when FD_WRITE says there is room.
            if (WSAGetLastError() == WSAEWOULDBLOCK) return;
            Close(open.socket);
            return;
        }
        web.Sent(static_cast<size_t>(n));
        if (web.phase() == WebExchange::Phase::Draining) shutdown(open.socket, SD_SEND);
    }
    if (web.phase() == WebExchange::Phase::Done) Close(open.socket);
}

void ConnectionTable::Feed(Open &open, const char *bytes, size_t size) {
    FrameState state = open.framer.Feed(bytes, size);
    if (state == FrameState::Rejected) {
        SocketConnection(open.socket).Send(kReplyRejected, std::strlen(kReplyRejected));
        Close(open.socket);
        return;
    }
    if (state == FrameState::Complete) Complete(open);
}

void ConnectionTable::Complete(Open &open) {
    open.completed = ++completions_;
    // Requests completing in the socket messages already queued join the
    // same batch: it is run when this message comes, after them.
    if (!batch_posted_) {
        batch_posted_ = true;
        PostMessageA(window_, MSG_BATCH, 0, 0);
    }
}

void ConnectionTable::SocketEvent(WPARAM socket_param, LPARAM event) {
    SOCKET socket = static_cast<SOCKET>(socket_param);
    Open *open = Find(socket);
    if (!open || open->completed != 0) return;
    if (open->web) {
        WebEvent(*open, WSAGETSELECTEVENT(event), WSAGETSELECTERROR(event));
        return;
    }
    bool closing = WSAGETSELECTEVENT(event) == FD_CLOSE;
    char chunk[1024 + 1];
    int error = WSAGETSELECTERROR(event);
    if (error != 0) {
        // A notice left from an earlier socket of the same handle finds
        // nothing wrong with this one.
        if (recv(socket, chunk, 1024, MSG_PEEK) == SOCKET_ERROR &&
            WSAGetLastError() == WSAEWOULDBLOCK)
            return;
        EndWithError(socket, "GetRequest: ", error);
        return;
    }
    // One receive for a read notice (another comes while bytes are left);
    // at a close, everything that arrived before it.
    for (;;) {
        int got = recv(socket, chunk, 1024, 0);
        if (got == SOCKET_ERROR) {
            int code = WSAGetLastError();
            // Nothing to read: a read notice already served, or one left
            // from an earlier socket of the same handle.
            if (code == WSAEWOULDBLOCK) return;
            EndWithError(socket, "GetRequest: ", code);
            return;
        }
        if (got == 0) {
            // The end of the peer's bytes. Whether it closed or reset the
            // connection is told by the close notice, which follows.
            if (!closing) return;
            open->framer.Finish();
            Complete(*open);
            return;
        }
        chunk[got] = '\0';
        Feed(*open, chunk, static_cast<size_t>(got));
        open = Find(socket);
        if (!open || open->completed != 0 || !closing) return;
    }
}

PublishResult ConnectionTable::RunBatch(BoardContext &board, Publisher &publisher) {
    batch_posted_ = false;
    std::vector<Open *> members;
    for (Open &open : open_) {
        if (open.completed != 0) members.push_back(&open);
    }
    std::sort(members.begin(), members.end(),
              [](const Open *a, const Open *b) { return a->completed < b->completed; });
    std::vector<SocketConnection> connections;
    connections.reserve(members.size());
    std::vector<PendingRequest> requests(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
        connections.emplace_back(members[i]->socket);
        requests[i].line = members[i]->framer.Line();
        requests[i].connection = &connections[i];
        requests[i].peer = members[i]->peer;
    }
    std::vector<SOCKET> sockets;
    for (const Open *member : members) sockets.push_back(member->socket);
    PublishResult result;
    if (!requests.empty()) result = DispatchBatch(board, publisher, requests);
    for (SOCKET socket : sockets) Close(socket);
    return result;
}

void ConnectionTable::Sweep() {
    ULONGLONG now = GetTickCount64();
    std::vector<SOCKET> late, done;
    for (const Open &open : open_) {
        if (open.completed != 0 || now - open.accepted_at < kRequestDeadlineMs) continue;
        bool delivered = open.web && open.web->phase() == WebExchange::Phase::Draining;
        (delivered ? done : late).push_back(open.socket);
    }
    for (SOCKET socket : late) EndWithError(socket, "GetRequest: ", WSAETIMEDOUT);
    for (SOCKET socket : done) Close(socket);
}

void ConnectionTable::CloseSockets() {
    if (window_) KillTimer(window_, kSweepTimer);
    for (SOCKET &listening : listening_) {
        if (listening == INVALID_SOCKET) continue;
        shutdown(listening, SD_BOTH);
        closesocket(listening);
        listening = INVALID_SOCKET;
    }
    while (!open_.empty()) Close(open_.front().socket);
    accepted_ = 0;
}

int ConnectionTable::ListeningPort(PortKind kind) const {
    SOCKET listening = ListeningSocket(kind);
    if (listening == INVALID_SOCKET) return 0;
    sockaddr_in address = {};
    int size = sizeof address;
    if (getsockname(listening, reinterpret_cast<sockaddr *>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}
