// The server of the kind under test, driven over TCP from this side;
// replies, the data file and the page are checked byte for byte.
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>

#include "tests/e2e/server/server_fixture.h"

namespace {

using e2e::Exchange;
using e2e::TcpClient;

const std::string kBoard = "Ann-1- -09:00- -\r\n"
                           "Bob-0-Lunch-12:00-13:00-\r\n"
                           "Carol-1- -08:30- -\r\n";

TEST_F(ServerTest, SignOutAndSignInChangeTheDataFileAndThePage) {
    StartServer(kBoard);
    long long since = std::time(nullptr);
    EXPECT_EQ(Exchange(port, "#oAnn-12:00-Dentist-14:30\n\r").bytes, "0\n\r");
    std::string after_out = "Ann-0-Dentist-12:00-14:30-\r\n"
                            "Bob-0-Lunch-12:00-13:00-\r\n"
                            "Carol-1- -08:30- -\r\n";
    EXPECT_EQ(Board(), after_out);
    EXPECT_TRUE(PageShows(after_out, since));

    // Signed in again, by a request ended with CR LF.
    since = std::time(nullptr);
    EXPECT_EQ(Exchange(port, "#ibob-13:05\r\n").bytes, "0\n\r");
    std::string after_in = "Ann-0-Dentist-12:00-14:30-\r\n"
                           "Bob-1- -13:05- -\r\n"
                           "Carol-1- -08:30- -\r\n";
    EXPECT_EQ(Board(), after_in);
    EXPECT_TRUE(PageShows(after_in, since));
}

TEST_F(ServerTest, UnknownNamesAndLinesThatAreNoRequestsChangeNothing) {
    StartServer(kBoard);
    // The page is written once at start-up, and then only at a change.
    const std::string page = ReadBytes(PageFile());
    EXPECT_NE(page.find(">Carol<"), std::string::npos);
    EXPECT_EQ(Exchange(port, "#iZoe-09:00\n\r").bytes, "1\n\r");
    EXPECT_EQ(Exchange(port, "#oAnnabel-09:00-X-Y\n\r").bytes, "1\n\r");
    EXPECT_EQ(Exchange(port, "GET / HTTP/1.0\r\n\r\n").bytes, "\n\r");
    EXPECT_EQ(Exchange(port, "\n\r").bytes, "\n\r");
    EXPECT_EQ(Exchange(port, " #iAnn-09:00\n\r").bytes, "");
    EXPECT_EQ(Exchange(port, "#IAnn-09:00\n\r").bytes, "");
    EXPECT_EQ(Exchange(port, std::string(300, 'x')).bytes, "Your request was not processed.\n\r");
    // 255 bytes in all pass; the 256th is one too many.
    std::string longest = "#iAnn-" + std::string(255 - 6 - 2, ' ') + "\n\r";
    EXPECT_EQ(Exchange(port, longest + "x").bytes, "Your request was not processed.\n\r");
    EXPECT_EQ(Board(), kBoard);
    EXPECT_EQ(ReadBytes(PageFile()), page);
    EXPECT_EQ(Exchange(port, longest).bytes, "0\n\r");
}

TEST_F(ServerTest, ARequestInPiecesIsGatheredAcrossTheSplitLineEnd) {
    StartServer(kBoard);
    TcpClient client;
    ASSERT_TRUE(client.Connect(port));
    for (const char *piece : {"#oCa", "rol-10:00-Ba", "nk-11:00\n"}) {
        client.Send(piece);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    client.Send("\r");
    EXPECT_EQ(client.ReadUntilClosed(20000), "0\n\r");
    EXPECT_EQ(Board(),
              "Ann-1- -09:00- -\r\nBob-0-Lunch-12:00-13:00-\r\nCarol-0-Bank-10:00-11:00-\r\n");
}

TEST_F(ServerTest, ASilentClientIsLetGoAndTheNextOneIsServed) {
    StartServer(kBoard);
    TcpClient silent;
    ASSERT_TRUE(silent.Connect(port));
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // it is served first
    long long start = e2e::NowMs();
    std::string reply = Exchange(port, "#iBob-12:40\n\r", 30000).bytes;
    long long took = e2e::NowMs() - start;
    EXPECT_EQ(reply, "0\n\r");
    EXPECT_LT(took, 20000) << "the silent client held the server";
    bool closed = false;
    EXPECT_EQ(silent.ReadUntilClosed(20000, &closed), "");
    EXPECT_TRUE(closed) << "the silent connection was never ended";
}

TEST_F(ServerTest, AClientThatResetsMidRequestDoesNotHoldUpTheNext) {
    StartServer(kBoard);
    {
        TcpClient client;
        ASSERT_TRUE(client.Connect(port));
        client.Send("#iBo");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        client.Reset();
    }
    EXPECT_EQ(Exchange(port, "#oAnn-12:00-Out-13:00\n\r").bytes, "0\n\r");
    // Windows and Linux tell a reset from a close and drop the half line;
    // Wine reports both as a close, so the half line is applied as a
    // closed connection's text is.
    if (Native())
        EXPECT_EQ(Board(),
                  "Ann-0-Out-12:00-13:00-\r\nBob-0-Lunch-12:00-13:00-\r\nCarol-1- -08:30- -\r\n");
    else
        EXPECT_EQ(Board(), "Ann-0-Out-12:00-13:00-\r\nBob-1- - - -\r\nCarol-1- -08:30- -\r\n");
}

TEST_F(ServerTest, ASecondServerOnTheSameBoardSaysSoAndEndsBeforeTouchingItsFiles) {
    StartServer(kBoard);
    // What a second start-up would remove: a save of the first one's in
    // flight looks the same.
    const std::string in_flight = DataFile() + ".4242.tmp";
    e2e::WriteFile(in_flight, "half a save");
    pid_t second = tesmar->StartAnother(work + "/second.out");
    ASSERT_GT(second, 0);
    if (Native()) {
        // It says so on standard error and ends with its own code.
        EXPECT_EQ(e2e::WinePrefix::WaitExit(second, 20000), 3) << "the second server stayed";
        EXPECT_NE(ReadBytes(work + "/second.out").find("Another Tesmar is serving this board"),
                  std::string::npos)
            << ReadBytes(work + "/second.out");
    } else {
        const std::string said = work + "/box.out";
        pid_t probe = prefix->Start(e2e::WindowsBuildDir() + "/tests/drivers/box_probe.exe",
                                    {"Tesmar 1.41", "30000"}, said);
        ASSERT_GT(probe, 0);
        EXPECT_EQ(e2e::WinePrefix::WaitExit(probe, 40000), 0) << ReadBytes(said);
        EXPECT_EQ(ReadBytes(said).find("Another Tesmar is serving this board"), 0u)
            << ReadBytes(said);
        EXPECT_EQ(e2e::WinePrefix::WaitExit(second, 20000), 0) << "the second server stayed";
    }
    EXPECT_EQ(ReadBytes(in_flight), "half a save");
    EXPECT_EQ(Board(), kBoard);
    // The first one serves on.
    EXPECT_EQ(Exchange(port, "#iBob-12:41\n\r").bytes, "0\n\r");
}

TEST_F(ServerTest, TheListenerQueuesMoreThanFiveWaitingClients) {
    StartServer(kBoard);
    // The kernel shows a listening socket's backlog as its send queue.
    std::string command = "ss -Hltn 'sport = :" + std::to_string(port) + "'";
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = "";
    ASSERT_NE(fgets(line, sizeof line, pipe), nullptr) << "nothing listens on " << port;
    pclose(pipe);
    char state[32];
    int waiting = 0, backlog = 0;
    ASSERT_EQ(std::sscanf(line, "%31s %d %d", state, &waiting, &backlog), 3) << line;
    EXPECT_GE(backlog, 128) << line;
}

// Natively: SIGTERM, as the service manager stops it.
TEST_F(ServerTest, ClosingTheWindowClosesTheSocketsAndEndsTheProgram) {
    StartServer(kBoard);
    EXPECT_EQ(StopServer(), 0);
    EXPECT_TRUE(e2e::PortRefuses(port));
    EXPECT_EQ(Board(), kBoard); // nothing is saved at exit
}

TEST_F(ServerTest, ARestartedServerListensOnItsPortAgainAtOnce) {
    StartServer(kBoard);
    // Connections the server closed itself wait in TIME_WAIT on its port.
    EXPECT_EQ(Exchange(port, "#iBob-12:42\n\r").bytes, "0\n\r");
    EXPECT_EQ(Exchange(port, "#oBob-12:43-Lab-13:00\n\r").bytes, "0\n\r");
    ASSERT_EQ(StopServer(), 0);
    ASSERT_TRUE(tesmar->Start(60000)) << "the restarted server: " << tesmar->StartFailure();
    EXPECT_EQ(Exchange(port, "#iBob-13:01\n\r").bytes, "0\n\r");
}

} // namespace

namespace {

// No settings at all: the first-run questions come up. Closing the
// program's windows then (as the window manager or taskkill does) must end
// it, not leave it asking questions that can no longer be shown.
class FirstRunTest : public ServerTest {
  protected:
    FirstRunTest() { preset_settings = false; }
};

TEST_F(FirstRunTest, ClosingTheWindowDuringTheQuestionsEndsTheProgram) {
    if (Native()) GTEST_SKIP() << "the native server asks no questions";
    // Its current directory is the one the directory question offers.
    std::string current = work + "/current";
    e2e::MakeDirectories(current);
    server = prefix->Start(e2e::TesmarExe(), {}, work + "/tesmar.out", current);
    ASSERT_GT(server, 0);
    int status = -1;
    long long deadline = e2e::NowMs() + 60000;
    while (status == -1 && e2e::NowMs() < deadline) {
        prefix->CloseWindowsOf("tesmar.exe");
        status = e2e::WinePrefix::WaitExit(server, 1000);
    }
    EXPECT_EQ(status, 0) << "tesmar.exe did not end after its windows were closed";
    // Nobody answered the question: no data file was made anywhere.
    EXPECT_FALSE(e2e::FileExists(current + "/tesmar.dat"));
}

} // namespace
