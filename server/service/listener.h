// The listening socket and the one-connection-at-a-time cycle: accept,
// read one request line, dispatch it, close. Driven by two window messages
// on the main window's thread. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstddef>

#include "server/service/publisher.h"
#include "server/service/request_framer.h"

class StatusLine;
struct BoardContext;

constexpr UINT MSG_LISTEN = WM_USER + 1; // posted once at start-up
constexpr UINT MSG_ACCEPT = WM_USER + 2; // FD_ACCEPT on the listening socket

// The whole request must arrive within this time of the accept; a silent
// client is then let go as after a failed receive.
constexpr DWORD kRequestDeadlineMs = 3000;

// "Windows Sockets reports error %04x" and the two named texts.
void SocketErrorText(int code, char *out, size_t capacity);

class Listener {
  public:
    // Failures go to status with the stage's label in front.
    explicit Listener(StatusLine &status) : status_(status) {}

    // Opens the listening socket on the port text (all local addresses) and
    // watches it for MSG_ACCEPT to window. Failures: "Listen: ".
    void OpenListener(HWND window, const char *port);

    // Serves one whole connection: accept, read within the deadline,
    // dispatch, close, watch the listening socket again. Returns what the
    // publication of its change did. Failures: "DoConnection: " (accept)
    // or "GetRequest: " (receive).
    PublishResult AcceptConnection(BoardContext &board, Publisher &publisher);

    // Shuts down and closes the listening socket and the current connection.
    void CloseSockets();

    // The port the listening socket is bound to, 0 when there is none.
    int ListeningPort() const;

  private:
    void WatchListener();
    void CloseConnection();
    void ReportSocketError(const char *label, int code);
    void EndConnection();

    StatusLine &status_;
    HWND window_ = nullptr;
    SOCKET listening_ = INVALID_SOCKET;
    SOCKET current_ = INVALID_SOCKET;
    char chunk_[1024 + 1];
    RequestFramer framer_;
};
