#include "tests/wine/server/shell_fixture.h"

#include "server/shell/main_window.h"
#include "server/shell/server_state.h"
#include "server/shell/socket_front_end.h"

namespace {

bool class_registered = false;

} // namespace

void ShellTest::SetUp() {
    ServerProgramTest::SetUp();
    if (HasFatalFailure()) return;
    if (!class_registered) {
        ASSERT_TRUE(RegisterMainWindowClass(server.instance));
        class_registered = true;
    }
    ASSERT_NE(CreateMainWindow(server), nullptr);
}

void ShellTest::TearDown() {
    server.connections.CloseSockets();
    if (server.main_window && IsWindow(server.main_window)) DestroyWindow(server.main_window);
    server.main_window = nullptr;
    server.status_view.window = nullptr;
    PumpMessages();
    ServerProgramTest::TearDown();
}

void ServingTest::SetUp() {
    ShellTest::SetUp();
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
}

void ServingTest::TearDown() {
    ShellTest::TearDown();
    WSACleanup();
}

SOCKET ServingTest::ConnectToListener() {
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(server.connections.ListeningPort()));
    EXPECT_EQ(connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    return client;
}

std::string ServingTest::ReplyOn(SOCKET client) {
    std::string reply;
    char buffer[256];
    int got;
    while ((got = recv(client, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, got);
    return reply;
}

bool ServingTest::Serve() {
    // The window's messages are delivered until a connection has been
    // accepted and every open one served or ended (at most 10 s, several
    // times the deadline).
    const SocketFrontEnd &table = server.connections;
    unsigned long accepted = table.AcceptedCount();
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        PumpMessages();
        if (table.AcceptedCount() > accepted && table.OpenCount() == 0) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}
