// What only the native server has: its settings file refused with every
// fault named, read again at SIGHUP, and SIGTERM's orderly stop. Skipped
// under Wine.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/server/server_fixture.h"

namespace {

using e2e::Exchange;

const std::string kBoard = "Ann-1- -09:00- -\r\nBob-0-Lunch-12:00-13:00-\r\n";

class NativeServerTest : public ServerTest {
  protected:
    void SetUp() override {
        // Before a Wine prefix is made for nothing.
        if (e2e::KindUnderTest() != e2e::ServerKind::Native)
            GTEST_SKIP() << "the native server's own behaviour";
        ServerTest::SetUp();
    }
    std::string Said() const { return ReadBytes(work + "/tesmar.out"); }
    bool Says(const std::string &text, int seconds = 20) {
        return e2e::PollUntil([&] { return Said().find(text) != std::string::npos; }, seconds);
    }
};

TEST_F(NativeServerTest, ARefusedSettingsFileNamesEachFaultWithItsLineAndTouchesNothing) {
    SetSetting("History", "yes"); // line 5, after the comment and the three paths
    SetSetting("Colour", "blue");
    e2e::WriteFile(DataFile(), "Bob-1- -09:00- -\r\nAnn-1- -09:00- -\r\n");
    EXPECT_FALSE(tesmar->Start(20000));
    EXPECT_EQ(tesmar->ExitStatus(), 2);
    std::string conf = tesmar->ConfigFile();
    // The failed start says why: the exit and the end of what it said.
    EXPECT_NE(tesmar->StartFailure().find("exit status 2"), std::string::npos)
        << tesmar->StartFailure();
    EXPECT_NE(tesmar->StartFailure().find(conf + ":6: Colour: no such setting"), std::string::npos)
        << tesmar->StartFailure();
    EXPECT_NE(Said().find(conf + ":5: History: \"yes\" is neither TRUE nor FALSE"),
              std::string::npos)
        << Said();
    EXPECT_NE(Said().find(conf + ":6: Colour: no such setting"), std::string::npos) << Said();
    // Not even the unsorted board was sorted, nor a page made.
    EXPECT_EQ(Board(), "Bob-1- -09:00- -\r\nAnn-1- -09:00- -\r\n");
    EXPECT_FALSE(e2e::FileExists(PageFile()));
}

TEST_F(NativeServerTest, SighupReadsTheSettingsAgainAndTheirPortWaitsForTheNextStart) {
    StartServer(kBoard);
    SetSetting("Header", "<p>Reloaded</p>\r\n");
    SetSetting("Port", std::to_string(e2e::FreePort()));
    tesmar->WriteSettingsFile();
    kill(server, SIGHUP);
    ASSERT_TRUE(Says("Settings read again")) << Said();
    EXPECT_TRUE(Says("Port changes at the next start")) << Said();
    EXPECT_EQ(Exchange(port, "#iBob-12:30\n\r").bytes, "0\n\r");
    std::string page = ReadBytes(PageFile());
    EXPECT_NE(page.find("<p>Reloaded</p>\r\n"), std::string::npos) << page;
    EXPECT_EQ(page.find("KVT In/Out Log"), std::string::npos) << page;

    // A file that is refused now leaves the settings as they were.
    SetSetting("ResetTime", "soon");
    tesmar->WriteSettingsFile();
    kill(server, SIGHUP);
    EXPECT_TRUE(Says("The settings stay as they were")) << Said();
    EXPECT_EQ(Exchange(port, "#oBob-12:40-Lab-13:00\n\r").bytes, "0\n\r");
    EXPECT_EQ(StopServer(), 0);
}

TEST_F(NativeServerTest, SigtermAnswersTheRequestThatHadComeAndEndsWithZero) {
    StartServer(kBoard);
    // Held still while the request comes, so that the stop is its first news
    // of it: the connection is not even taken yet.
    kill(server, SIGSTOP);
    e2e::TcpClient client;
    ASSERT_TRUE(client.Connect(port));
    ASSERT_TRUE(client.Send("#oAnn-12:00-Bank-13:00\n\r"));
    kill(server, SIGTERM);
    kill(server, SIGCONT);
    EXPECT_EQ(StopServer(), 0);
    EXPECT_EQ(client.ReadUntilClosed(10000), "0\n\r");
    EXPECT_EQ(Board(), "Ann-0-Bank-12:00-13:00-\r\nBob-0-Lunch-12:00-13:00-\r\n");
    EXPECT_TRUE(e2e::PortRefuses(port));
}

TEST_F(NativeServerTest, ASigtermInARushOf150LosesNoAnsweredChangeAndEndsWithinTenSeconds) {
    StartServer(e2e::BoardFile(150));
    // 150 members sign out over about four seconds; the stop comes once 30
    // answers are back.
    std::vector<std::string> replies(150);
    std::atomic<int> answered{0};
    std::vector<std::thread> members;
    for (int i = 0; i < 150; ++i)
        members.emplace_back([&, i] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30 * i));
            replies[i] =
                Exchange(port, "#o" + e2e::UserName(i) + "-10:00-Rush-11:00\n\r", 20000).bytes;
            if (replies[i] == "0\n\r") ++answered;
        });
    e2e::PollUntil([&] { return answered.load() >= 30; }, 60);
    long long asked = e2e::NowMs();
    int status = StopServer();
    long long stop_ms = e2e::NowMs() - asked;
    for (std::thread &member : members) member.join();
    EXPECT_EQ(status, 0);
    EXPECT_LT(stop_ms, 30000); // generous: it must take under 10 s
    std::string board = Board();
    int lines = 0;
    for (size_t at = 0; (at = board.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(lines, 150) << board;
    for (int i = 0; i < 150; ++i) {
        if (replies[i] != "0\n\r") continue;
        EXPECT_NE(board.find(e2e::UserName(i) + "-0-Rush-10:00-11:00-"), std::string::npos)
            << e2e::UserName(i) << " was answered and is not in the file";
    }
    EXPECT_LT(answered.load(), 150) << "the stop came after the rush";
}

TEST_F(NativeServerTest, TheConfiguredCodePageIsTheBoardsInItsFilesAndOnTheWebPort) {
    SetSetting("CodePage", "1251");
    int web = tesmar->EnableWebPort();
    // "Юля" in code page 1251, as a Windows server in Russia writes it.
    const std::string board = "\xDE\xEB\xFF-1- -09:00- -\r\n";
    StartServer(board);
    EXPECT_EQ(Exchange(port, "#o\xDE\xEB-10:00-\xCE\xF4\xE8\xF1-11:00\n\r").bytes, "0\n\r");
    // The files keep the code page's bytes.
    EXPECT_EQ(Board(), "\xDE\xEB\xFF-0-\xCE\xF4\xE8\xF1-10:00-11:00-\r\n");
    std::string feed = Exchange(web, "GET /board.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n").bytes;
    EXPECT_NE(feed.find("\"name\": \"\xD0\xAE\xD0\xBB\xD1\x8F\""), std::string::npos) << feed;
    std::string page = Exchange(web, "GET /board.html HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n").bytes;
    EXPECT_NE(page.find("charset=windows-1251"), std::string::npos) << page.substr(0, 300);
}

} // namespace
