// The reference server of the throughput benchmark: the least a server can
// do per request with the same file work as tesmar.exe. A blocking Winsock
// loop with no window and no message loop: accept, read the request line,
// hand it to the same request handlers (which read the data file, replace
// the page and replace the data file durably), reply, close.
//
//   reference_server.exe PORT WORKING_DIR PAGE_FILE
//
// It runs until it is killed.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "common/alerts.h"
#include "common/clock.h"
#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/service/connection.h"
#include "server/service/request_framer.h"
#include "server/service/request_handlers.h"
#include "tests/doubles/null_alerts.h"

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

ServerSettings g_settings;
UserTable g_table;
Publisher g_publisher;

// Reads one request line from the connection and answers it.
void ServeConnection(BoardContext &board, SOCKET client) {
    // A client that stalls must not hold the benchmark up for long.
    DWORD timeout_ms = 5000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&timeout_ms),
               sizeof timeout_ms);
    SocketConnection connection(client);
    RequestFramer framer;
    char chunk[1024];
    for (;;) {
        int got = recv(client, chunk, sizeof chunk, 0);
        if (got <= 0) return; // reset, timeout or closed before a line end
        FrameState state = framer.Feed(chunk, static_cast<size_t>(got));
        if (state == FrameState::Rejected) {
            connection.Send(kReplyRejected, strlen(kReplyRejected));
            return;
        }
        if (state == FrameState::Complete) {
            DispatchRequest(board, g_publisher, framer.Line(), connection);
            return;
        }
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: reference_server PORT WORKING_DIR PAGE_FILE\n");
        return 2;
    }
    CopyCut(g_settings.Port, argv[1]);
    CopyCut(g_settings.WorkingDir, argv[2]);
    CopyCut(g_settings.HTMLFile, argv[3]);
    CopyCut(g_settings.Header, kDefaultHeader);
    CopyCut(g_settings.Footer, kDefaultFooter);
    CopyCut(g_settings.History, "TRUE");
    g_settings.history_flag = true;

    ClearTable(g_table);
    LoadBoard(g_table, g_settings);
    SortAndCompact(g_table);

    NullAlerts alerts; // the request path shows no message boxes
    BoardContext board{g_table, g_settings, alerts, SystemClock()};

    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        fprintf(stderr, "reference_server: WSAStartup failed\n");
        return 1;
    }
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    if (listener == INVALID_SOCKET) {
        fprintf(stderr, "reference_server: socket failed: %d\n", WSAGetLastError());
        return 1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(ParsePort(g_settings.Port));
    if (bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0) {
        fprintf(stderr, "reference_server: bind/listen failed: %d\n", WSAGetLastError());
        return 1;
    }
    fprintf(stderr, "reference_server: %u users, listening on %s\n",
            static_cast<unsigned>(g_table.count), g_settings.Port);
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        ServeConnection(board, client);
        shutdown(client, SD_BOTH);
        closesocket(client);
    }
}
