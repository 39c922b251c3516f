#include "server/service/listener.h"

#include <cstdio>
#include <cstring>

#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/service/connection.h"
#include "server/service/request_framer.h"
#include "server/service/status_line.h"

namespace {

HWND notify_window = nullptr;
SOCKET listening_socket = INVALID_SOCKET;
SOCKET current_connection = INVALID_SOCKET;
char chunk[1024 + 1];
RequestFramer framer;

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

void WatchListener() {
    if (listening_socket != INVALID_SOCKET)
        WSAAsyncSelect(listening_socket, notify_window, MSG_ACCEPT, FD_ACCEPT);
}

void StopWatching(SOCKET socket) { WSAAsyncSelect(socket, notify_window, 0, 0); }

void CloseConnection() {
    if (current_connection == INVALID_SOCKET) return;
    shutdown(current_connection, SD_BOTH);
    closesocket(current_connection);
    current_connection = INVALID_SOCKET;
}

// The status line gets the stage label and the error's text; the current
// connection, if any, is closed.
void ReportSocketError(const char *label, int code) {
    char text[128];
    char error[64];
    SocketErrorText(code, error, sizeof error);
    CopyCut(text, label);
    AppendCut(text, error);
    SetStatusText(text);
    CloseConnection();
}

void EndConnection() {
    CloseConnection();
    WatchListener();
}

void RejectRequest() {
    SocketConnection(current_connection).Send(kReplyRejected, std::strlen(kReplyRejected));
    EndConnection();
}

void SetBlockingMode(SOCKET socket) {
    StopWatching(socket);
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

void OpenListener(HWND window, const char *port) {
    notify_window = window;
    listening_socket = INVALID_SOCKET;
    current_connection = INVALID_SOCKET;

    listening_socket = socket(AF_INET, SOCK_STREAM, 0);
    if (listening_socket == INVALID_SOCKET) {
        ReportSocketError("Listen: ", WSAGetLastError());
        return;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(ParsePort(port));
    if (bind(listening_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ReportSocketError("Listen: ", WSAGetLastError());
        return;
    }
    // The system's largest backlog, so that a crowd signing in at once
    // queues instead of being refused.
    if (listen(listening_socket, SOMAXCONN) != 0) {
        ReportSocketError("Listen: ", WSAGetLastError());
        return;
    }
    WatchListener();
}

RequestOutcome AcceptConnection(BoardContext &board) {
    RequestOutcome outcome;
    if (listening_socket == INVALID_SOCKET) return outcome;

    current_connection = accept(listening_socket, nullptr, nullptr);
    int accept_error = current_connection == INVALID_SOCKET ? WSAGetLastError() : 0;
    StopWatching(listening_socket);
    if (current_connection == INVALID_SOCKET) {
        // A notice for a connection that has gone again (or was taken
        // already) is no failure.
        if (accept_error != WSAEWOULDBLOCK) ReportSocketError("DoConnection: ", accept_error);
        WatchListener();
        return outcome;
    }

    framer.Reset();
    SetBlockingMode(current_connection);
    ULONGLONG deadline = GetTickCount64() + kRequestDeadlineMs;

    for (unsigned receives = 1;; ++receives) {
        int code = 0;
        if (!LimitReceive(current_connection, deadline, code)) {
            ReportSocketError("GetRequest: ", code);
            WatchListener();
            return outcome;
        }
        int got = recv(current_connection, chunk, 1024, 0);
        if (got == SOCKET_ERROR) {
            ReportSocketError("GetRequest: ", WSAGetLastError());
            WatchListener();
            return outcome;
        }
        if (got == 0) {
            // The peer has closed its side: nothing more will come.
            framer.Finish();
            break;
        }
        chunk[got] = '\0';
        FrameState state = framer.Feed(chunk, static_cast<size_t>(got));
        if (state == FrameState::Rejected) {
            RejectRequest();
            return outcome;
        }
        if (state == FrameState::Complete) break;
        if (receives > kMaxReceives) {
            framer.Finish();
            break;
        }
    }

    SocketConnection connection(current_connection);
    outcome = DispatchRequest(board, framer.Line(), connection);
    EndConnection();
    return outcome;
}

void CloseSockets() {
    if (listening_socket != INVALID_SOCKET) {
        shutdown(listening_socket, SD_BOTH);
        closesocket(listening_socket);
        listening_socket = INVALID_SOCKET;
    }
    CloseConnection();
}

int ListeningPort() {
    if (listening_socket == INVALID_SOCKET) return 0;
    sockaddr_in address = {};
    int size = sizeof address;
    if (getsockname(listening_socket, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}
