// The listener in process: a real socket from the test, the server's
// functions called directly, the status line read back.
#include <cstdio>
#include <string>

#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/engine/socket_error_text.h"
#include "server/shell/socket_front_end.h"
#include "server/engine/status_line.h"
#include "server/shell/main_window.h"
#include "server/shell/tesmar_ids.h"
#include "server/shell/server_state.h"
#include "server/shell/event_log.h"
#include "server/web/key_lockout.h"
#include "tests/kit/doubles/recording_event_sink.h"
#include "tests/wine/server/shell_fixture.h"

namespace {

// Under the service, an address locked out is one warning of its own kind,
// however often the line is told it; a failure stays a failure.
TEST(EventLogStatus, ALockoutIsOneWrongKeysEvent) {
    RecordingEventSink events;
    StatusLine status;
    EventLogStatusView view(events, status);
    status.SetView(&view);
    status.SetStatusText(LockoutNotice("10.0.0.3").c_str());
    status.SetStatusText(LockoutNotice("10.0.0.3").c_str());
    status.SetStatusText("Cannot save C:\\board\\tesmar.dat");
    EXPECT_EQ(events.written,
              "6 Web: wrong keys from 10.0.0.3\n3 Cannot save C:\\board\\tesmar.dat\n");
}

class ListenerTest : public ServingTest {
  protected:
    void SetUp() override {
        ServingTest::SetUp();
        board_dir = MakeDirectory("board");
        CopyCut(server.settings.WorkingDir, board_dir.c_str());
        CopyCut(server.settings.Header, "<h>");
        CopyCut(server.settings.Footer, "<f>");
        WriteFile(board_dir + "\\tesmar.dat", "Ann-1- -09:00- -\r\n");
        LoadBoard(server.table, server.settings, server.board_reader, nullptr);
        SortAndCompact(server.table);
    }
    void TearDown() override {
        if (client != INVALID_SOCKET) closesocket(client);
        ServingTest::TearDown();
    }

    // Opens the listener on a port the system picks and connects to it.
    void ListenAndConnect() {
        server.connections.OpenListener(server.main_window, "0");
        ASSERT_NE(server.connections.ListeningPort(), 0) << server.status.Text();
        client = ConnectToListener();
    }

    std::string Reply() { return ReplyOn(client); }

    std::string board_dir;
    SOCKET client = INVALID_SOCKET;
};

TEST_F(ListenerTest, ASecondListenerOnAPortInUseShowsTheErrorWithItsStage) {
    // Another program holds the port.
    SOCKET first = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(first, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(listen(first, 5), 0);
    int size = sizeof address;
    getsockname(first, reinterpret_cast<sockaddr *>(&address), &size);
    std::string port = std::to_string(ntohs(address.sin_port));

    server.connections.OpenListener(server.main_window, port.c_str());
    EXPECT_STREQ(server.status.Text(), "Listen: Windows Sockets reports error 2740");
    EXPECT_EQ(server.status.Length(), 42);
    closesocket(first);
}

TEST_F(ListenerTest, AWebPortThatCannotBeOpenedIsToldAndTheSignInPortServesOn) {
    server.connections.OpenListener(server.main_window, "x", Pool::Web);
    EXPECT_STREQ(server.status.Text(), "Listen: Windows Sockets reports error 2726");
    SOCKET holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(listen(holder, 5), 0);
    int size = sizeof address;
    getsockname(holder, reinterpret_cast<sockaddr *>(&address), &size);
    std::string port = std::to_string(ntohs(address.sin_port));

    ListenAndConnect();
    server.connections.OpenListener(server.main_window, port.c_str(), Pool::Web);
    EXPECT_STREQ(server.status.Text(), "Listen: Windows Sockets reports error 2740");
    EXPECT_EQ(server.connections.ListeningPort(Pool::Web), 0);
    const char request[] = "#oAnn-12:00-Lunch-13:00\n\r";
    send(client, request, sizeof request - 1, 0);
    ASSERT_TRUE(Serve());
    EXPECT_EQ(Reply(), "0\n\r");
    // The sweep looks at every pool's backlog: the reason stays.
    server.connections.TimerMessage();
    EXPECT_STREQ(server.status.Text(), "Listen: Windows Sockets reports error 2740");
    closesocket(holder);
}

TEST_F(ListenerTest, AFailedPageWriteIsToldWithThePath) {
    std::string page = board_dir + "\\missing\\board.html";
    CopyCut(server.settings.HTMLFile, page.c_str());
    ListenAndConnect();
    const char request[] = "#oAnn-12:00-Lunch-13:00\n\r";
    send(client, request, sizeof request - 1, 0);
    ASSERT_TRUE(Serve());
    EXPECT_EQ(Reply(), "0\n\r");
    EXPECT_EQ(std::string(server.status.Text()), "Cannot write the page " + page);
    EXPECT_EQ(ReadBytes(board_dir + "\\tesmar.dat"), "Ann-0-Lunch-12:00-13:00-\r\n");
}

TEST_F(ListenerTest, AJournalThatCannotBeWrittenIsToldWithThePathAndHoldsNoReplyBack) {
    server.settings.History = true;
    // The journal of the month the program's clock shows.
    ClockTime today = clock.Now();
    char name[32];
    std::snprintf(name, sizeof name, "\\history-%04d-%02d.csv", today.year, today.month);
    std::string journal = board_dir + name;
    ASSERT_TRUE(CreateDirectoryA(journal.c_str(), nullptr)); // where the file should be
    ListenAndConnect();
    const char request[] = "#oAnn-12:00-Lunch-13:00\n\r";
    send(client, request, sizeof request - 1, 0);
    Serve();
    EXPECT_EQ(Reply(), "0\n\r");
    EXPECT_EQ(std::string(server.status.Text()), "Cannot write the history " + journal);
    EXPECT_EQ(ReadBytes(board_dir + "\\tesmar.dat"), "Ann-0-Lunch-12:00-13:00-\r\n");
    // The line was kept: it is written once the file can be made.
    ASSERT_TRUE(RemoveDirectoryA(journal.c_str()));
    EXPECT_EQ(server.history.Flush(), 1);
    EXPECT_NE(ReadBytes(journal).find(",out,Ann,12:00,Lunch,13:00,127.0.0.1\r\n"),
              std::string::npos);
    server.settings.History = false;
}

TEST_F(ListenerTest, APeerThatClosesItsSideHasItsTextDispatchedAtOnce) {
    ListenAndConnect();
    send(client, "#iAnn-10:00", 11, 0);
    shutdown(client, SD_SEND); // no line end will come
    DWORD start = GetTickCount();
    ASSERT_TRUE(Serve());
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(Reply(), "0\n\r");
    EXPECT_LT(took, static_cast<DWORD>(kRequestDeadlineMs)) << "waited instead of dispatching";
    EXPECT_STREQ(server.status.Text(), "");
    EXPECT_EQ(ReadBytes(board_dir + "\\tesmar.dat"), "Ann-1- -10:00- -\r\n");

    // The listener is watched again: the next client is announced and served.
    closesocket(client);
    client = ConnectToListener();
    send(client, "#oAnn-11:00-Out-12:00\n\r", 23, 0);
    ASSERT_TRUE(Serve()) << "the next connection was not served";
    EXPECT_EQ(Reply(), "0\n\r");
}

TEST_F(ListenerTest, AStaleAcceptNoticeLeavesTheStatusLineAlone) {
    server.connections.OpenListener(server.main_window, "0");
    server.status.SetStatusText("earlier");
    // Nobody is waiting: accept answers WSAEWOULDBLOCK.
    SendMessageA(server.main_window, MSG_ACCEPT,
                 static_cast<WPARAM>(server.connections.ListeningSocket()), FD_ACCEPT);
    EXPECT_STREQ(server.status.Text(), "earlier");
}

TEST_F(ListenerTest, ASilentClientIsLetGoAfterTheDeadline) {
    ListenAndConnect();
    DWORD start = GetTickCount();
    ASSERT_TRUE(Serve());
    DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 15000u);
    EXPECT_STREQ(server.status.Text(), "GetRequest: Windows Sockets reports error 274c");
    EXPECT_EQ(Reply(), ""); // closed without a reply
}

TEST(SocketErrorTexts, NameTwoErrorsAndShowTheRestInHex) {
    char text[64];
    SocketErrorText(10092, text, sizeof text);
    EXPECT_STREQ(text, "This version of Windows Sockets is not supported");
    SocketErrorText(10091, text, sizeof text);
    EXPECT_STREQ(text, "Windows Sockets is not present or is not responding");
    SocketErrorText(10048, text, sizeof text);
    EXPECT_STREQ(text, "Windows Sockets reports error 2740");
    SocketErrorText(5, text, sizeof text);
    EXPECT_STREQ(text, "Windows Sockets reports error 0005");
}

TEST_F(ShellTest, UsersWithoutAPageFileWarnsAndOpensNothing) {
    SendMessageA(server.main_window, WM_COMMAND, IDM_USERS, 0);
    ASSERT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(alerts.asked[0].text, kSetOptionsText);
    EXPECT_EQ(alerts.asked[0].caption, "(none)");
    EXPECT_EQ(alerts.asked[0].icon, AlertIcon::Warning);
    EXPECT_EQ(alerts.asked[0].buttons, AlertButtons::Ok);
}

TEST_F(ShellTest, TheStatusLineKeepsTheLatestTextCutTo1023Characters) {
    server.status.SetStatusText("first");
    server.status.SetStatusText("second");
    EXPECT_STREQ(server.status.Text(), "second");
    EXPECT_EQ(server.status.Length(), 6);
    server.status.SetStatusText(std::string(1500, 's').c_str());
    EXPECT_EQ(server.status.Length(), 1023);
}

} // namespace
