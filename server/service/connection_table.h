// The server's network side: the listening socket, always watched, and a
// table of the connections open on it, each read as its bytes arrive, so
// that no client can hold up another or the window. Requests that complete
// together are applied as one batch. Everything runs on the main window's
// thread, driven by its messages. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "server/service/publisher.h"
#include "server/service/request_deadline.h"
#include "server/service/request_framer.h"

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

// What a listening port serves: the board's request lines (the one kind
// so far).
enum class PortKind { Requests };

// "Windows Sockets reports error %04x" and the two named texts.
void SocketErrorText(int code, char *out, size_t capacity);

class ConnectionTable {
  public:
    // Failures go to status with the stage's label in front: "Listen: ",
    // "DoConnection: " (accept) or "GetRequest: " (receive, deadline,
    // ended to make room).
    explicit ConnectionTable(StatusLine &status) : status_(status) {}

    // Opens the listening socket on the port text (all local addresses),
    // watched for MSG_ACCEPT to window; the sweep timer starts.
    void OpenListener(HWND window, const char *port, PortKind kind = PortKind::Requests);

    // MSG_ACCEPT: accepts the waiting connection into the table.
    void Accept(WPARAM listening);

    // MSG_SOCKET: reads what arrived on the connection, or acts on its
    // close. Events of a socket no longer in the table are dropped.
    void SocketEvent(WPARAM socket, LPARAM event);

    // MSG_BATCH: applies the complete requests, in the order their lines
    // completed, as one batch; then closes their connections. Returns what
    // the publication did.
    PublishResult RunBatch(BoardContext &board, Publisher &publisher);

    // The sweep timer: ends the connections past their deadline.
    void Sweep();

    // Shuts down and closes the listening socket and every open connection.
    void CloseSockets();

    // The port the listening socket is bound to, 0 when there is none.
    int ListeningPort() const;
    // The listening socket (INVALID_SOCKET when there is none).
    SOCKET ListeningSocket() const { return listening_; }
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
    };

    Open *Find(SOCKET socket);
    void Feed(Open &open, const char *bytes, size_t size);
    void Complete(Open &open);
    // Reports the error with the label, then closes the connection.
    void EndWithError(SOCKET socket, const char *label, int code);
    void Close(SOCKET socket);
    void Report(const char *label, int code);
    void MakeRoom();

    StatusLine &status_;
    HWND window_ = nullptr;
    SOCKET listening_ = INVALID_SOCKET;
    PortKind listening_kind_ = PortKind::Requests;
    std::vector<Open> open_;
    unsigned long accepted_ = 0;
    unsigned long completions_ = 0;
    bool batch_posted_ = false;
};
