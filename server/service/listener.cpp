#include "server/service/listener.h"

#include <cstdio>
#include <cstring>

#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/service/connection.h"
#include "server/service/request_framer.h"
#include "server/service/request_handlers.h"
#include "server/service/status_line.h"

namespace {

// Receives after which a request is taken as it stands (with the deadline
// this is only a last bound).
constexpr unsigned kMaxReceives = 18000;

class SocketConnection : public Connection {
  public:
    explicit SocketConnection(SOCKET socket) : socket_(socket) {}
    void Send(const char *bytes, size_t size) override {
        send(socket_, bytes, static_cast<int>(size), 0);
    }

  private:
    SOCKET socket_;
};

void StopWatching(HWND window, SOCKET socket) { WSAAsyncSelect(socket, window, 0, 0); }

void SetBlockingMode(HWND window, SOCKET socket) {
    StopWatching(window, socket);
    u_long blocking = 0;
    ioctlsocket(socket, FIONBIO, &blocking);
}

// Lets the next receive wait at most until the deadline. Returns 0, with
// code set, when the deadline has passed.
int LimitReceive(SOCKET socket, ULONGLONG deadline, int &code) {
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) {
        code = WSAETIMEDOUT;
        return 0;
    }
    DWORD left = static_cast<DWORD>(deadline - now);
    setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&left),
               sizeof left);
    return 1;
}

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

void Listener::WatchListener() {
    if (listening_ != INVALID_SOCKET) WSAAsyncSelect(listening_, window_, MSG_ACCEPT, FD_ACCEPT);
}

void Listener::CloseConnection() {
    if (current_ == INVALID_SOCKET) return;
    shutdown(current_, SD_BOTH);
    closesocket(current_);
    current_ = INVALID_SOCKET;
}

// The status line gets the stage label and the error's text; the current
// connection, if any, is closed.
void Listener::ReportSocketError(const char *label, int code) {
    char text[128];
    char error[64];
    SocketErrorText(code, error, sizeof error);
    CopyCut(text, label);
    AppendCut(text, error);
    status_.SetStatusText(text);
    CloseConnection();
}

void Listener::EndConnection() {
    CloseConnection();
    WatchListener();
}

void Listener::OpenListener(HWND window, const char *port) {
    window_ = window;
    listening_ = INVALID_SOCKET;
    current_ = INVALID_SOCKET;

    listening_ = socket(AF_INET, SOCK_STREAM, 0);
    if (listening_ == INVALID_SOCKET) {
        ReportSocketError("Listen: ", WSAGetLastError());
        return;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(ParsePort(port));
    if (bind(listening_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ReportSocketError("Listen: ", WSAGetLastError());
        return;
    }
    // The system's largest backlog, so that a crowd signing in at once
    // queues instead of being refused.
    if (listen(listening_, SOMAXCONN) != 0) {
        ReportSocketError("Listen: ", WSAGetLastError());
        return;
    }
    WatchListener();
}

PublishResult Listener::AcceptConnection(BoardContext &board, Publisher &publisher) {
    PublishResult outcome;
    if (listening_ == INVALID_SOCKET) return outcome;

    sockaddr_in peer = {};
    int peer_size = sizeof peer;
    current_ = accept(listening_, reinterpret_cast<sockaddr *>(&peer), &peer_size);
    int accept_error = current_ == INVALID_SOCKET ? WSAGetLastError() : 0;
    StopWatching(window_, listening_);
    if (current_ == INVALID_SOCKET) {
        // A notice for a connection that has gone again (or was taken
        // already) is no failure.
        if (accept_error != WSAEWOULDBLOCK) ReportSocketError("DoConnection: ", accept_error);
        WatchListener();
        return outcome;
    }

    framer_.Reset();
    SetBlockingMode(window_, current_);
    ULONGLONG deadline = GetTickCount64() + kRequestDeadlineMs;

    for (unsigned receives = 1;; ++receives) {
        int code = 0;
        if (!LimitReceive(current_, deadline, code)) {
            ReportSocketError("GetRequest: ", code);
            WatchListener();
            return outcome;
        }
        int got = recv(current_, chunk_, 1024, 0);
        if (got == SOCKET_ERROR) {
            ReportSocketError("GetRequest: ", WSAGetLastError());
            WatchListener();
            return outcome;
        }
        if (got == 0) {
            // The peer has closed its side: nothing more will come.
            framer_.Finish();
            break;
        }
        chunk_[got] = '\0';
        FrameState state = framer_.Feed(chunk_, static_cast<size_t>(got));
        if (state == FrameState::Rejected) {
            SocketConnection(current_).Send(kReplyRejected, std::strlen(kReplyRejected));
            EndConnection();
            return outcome;
        }
        if (state == FrameState::Complete) break;
        if (receives > kMaxReceives) {
            framer_.Finish();
            break;
        }
    }

    SocketConnection connection(current_);
    // The client's address, for the history journal.
    char address[16] = "";
    if (peer_size >= static_cast<int>(sizeof peer) && peer.sin_family == AF_INET) {
        const unsigned char *bytes = reinterpret_cast<const unsigned char *>(&peer.sin_addr);
        std::snprintf(address, sizeof address, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2],
                      bytes[3]);
    }
    outcome = DispatchRequest(board, publisher, framer_.Line(), connection, address).published;
    EndConnection();
    return outcome;
}

void Listener::CloseSockets() {
    if (listening_ != INVALID_SOCKET) {
        shutdown(listening_, SD_BOTH);
        closesocket(listening_);
        listening_ = INVALID_SOCKET;
    }
    CloseConnection();
}

int Listener::ListeningPort() const {
    if (listening_ == INVALID_SOCKET) return 0;
    sockaddr_in address = {};
    int size = sizeof address;
    if (getsockname(listening_, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}
