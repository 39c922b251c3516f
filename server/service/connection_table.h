// The server's network side: the listening sockets (the sign-in port and,
// when one is set, the web port), always watched, and one table of the
// connections open on them, each read as its bytes arrive, so that no
// client can hold up another or the window. Requests that complete
// together are applied as one batch; the web port's connections only read
// the board as last published. Everything runs on the main window's
// thread, driven by its messages. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "server/service/publisher.h"
#include "server/service/request_deadline.h"
#include "server/service/request_framer.h"
#include "server/service/web_exchange.h"

class StatusLine;
struct BoardContext;

constexpr UINT MSG_LISTEN = WM_USER + 1; // posted once at start-up
constexpr UINT MSG_ACCEPT = WM_USER + 2; // FD_ACCEPT; wParam: the listening socket
constexpr UINT MSG_SOCKET = WM_USER + 3; // an open connection's events; wParam: its socket
constexpr UINT MSG_BATCH = WM_USER + 4;  // complete requests are waiting for their batch

// The timer that sweeps the table for connections past their deadline.
constexpr UINT_PTR kSweepTimer = 2;
constexpr UINT kSweepMs = 250;

// At most this many connections are open at once; a new one past it ends
// the one open longest whose request is not complete yet.
constexpr size_t kMaxConnections = 64;

// What a listening port serves: the board's request lines, or the page and
// the feed over HTTP.
enum class PortKind { Requests, Web };

// "Windows Sockets reports error %04x" and the two named texts.
void SocketErrorText(int code, char *out, size_t capacity);

class ConnectionTable {
  public:
    // Failures go to status with the stage's label in front: "Listen: ",
    // "DoConnection: " (accept) or "GetRequest: " (receive, deadline,
    // ended to make room).
    explicit ConnectionTable(StatusLine &status) : status_(status) {}

    // Opens the listening socket of the kind on the port text (all local
    // addresses), watched for MSG_ACCEPT to window; the sweep timer starts.
    // A web port text that holds no port number is refused as invalid.
    void OpenListener(HWND window, const char *port, PortKind kind = PortKind::Requests);

    // What the web port serves: the page and the feed the publisher last
    // made. Set before the web port's first connection.
    void ServeFrom(const Publisher &publisher) { source_ = &publisher; }

    // MSG_ACCEPT: accepts the waiting connection into the table.
    void Accept(WPARAM listening);

    // MSG_SOCKET: reads what arrived on the connection, or acts on its
    // close; on the web port also sends what is left of the reply when the
    // socket takes more. Events of a socket no longer in the table are
    // dropped.
    void SocketEvent(WPARAM socket, LPARAM event);

    // MSG_BATCH: applies the complete requests, in the order their lines
    // completed, as one batch; then closes their connections. Returns what
    // the publication did.
    PublishResult RunBatch(BoardContext &board, Publisher &publisher);

    // The sweep timer: ends the connections past their deadline (a web
    // connection whose reply is out is closed without a report).
    void Sweep();

    // Shuts down and closes the listening sockets and every open connection.
    void CloseSockets();

    // The port the listening socket of the kind is bound to, 0 when there
    // is none.
    int ListeningPort(PortKind kind = PortKind::Requests) const;
    // The listening socket of the kind (INVALID_SOCKET when there is none).
    SOCKET ListeningSocket(PortKind kind = PortKind::Requests) const {
        return listening_[static_cast<int>(kind)];
    }
    // Connections open now, and accepted since the listener opened.
    size_t OpenCount() const { return open_.size(); }
    unsigned long AcceptedCount() const { return accepted_; }

  private:
    struct Open {
        SOCKET socket = INVALID_SOCKET;
        PortKind kind = PortKind::Requests;
        ULONGLONG accepted_at = 0; // the deadline runs from here
        std::string peer;          // the peer's address, as accept gave it
        RequestFramer framer;
        unsigned long completed = 0; // order of completion; 0 while incomplete
        std::unique_ptr<WebExchange> web; // the web port's connections only
    };

    Open *Find(SOCKET socket);
    void Feed(Open &open, const char *bytes, size_t size);
    WebContent Content() const;
    void WebEvent(Open &open, int event, int error);
    // Sends what the socket takes of the web reply; once it is all out,
    // shuts the sending side; closes the connection when nothing is left
    // to do.
    void SendWeb(Open &open);
    void Complete(Open &open);
    // Reports the error with the label, then closes the connection.
    void EndWithError(SOCKET socket, const char *label, int code);
    void Close(SOCKET socket);
    void Report(const char *label, int code);
    void MakeRoom();

    StatusLine &status_;
    HWND window_ = nullptr;
    SOCKET listening_[2] = {INVALID_SOCKET, INVALID_SOCKET}; // by PortKind
    const Publisher *source_ = nullptr;
    std::vector<Open> open_;
    unsigned long accepted_ = 0;
    unsigned long completions_ = 0;
    bool batch_posted_ = false;
};
