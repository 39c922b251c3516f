// tesmar.exe as a Windows service under Wine's service control manager:
// /install registers it, sc starts it, it serves with no window (a desktop
// copy started beside it says the board is served and ends), a stop in
// the middle of a rush of 150 sign-outs finishes its batch (every answered
// change is in the data file, which stays whole), and /uninstall removes
// it and leaves the board. The stop's time and what the data file held
// are printed for the record.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

namespace {

const char kServiceKey[] = "HKLM\\System\\CurrentControlSet\\Services\\Tesmar";

class ServiceTest : public ::testing::Test {
  protected:
    ServiceTest() : tesmar(e2e::ScratchDir("service.rush"), 150) {}

    // Runs a Windows program in the prefix to its end: its exit status,
    // what it printed in said.
    int Run(const std::string &exe, const std::vector<std::string> &args, std::string *said) {
        std::string output = tesmar.work() + "/../run.txt";
        e2e::RemoveTree(output);
        pid_t pid = tesmar.prefix().Start(exe, args, output);
        int status = e2e::WinePrefix::WaitExit(pid, 90000);
        if (said) *said = ReadBytes(output);
        return status;
    }
    std::string ServiceRecord() {
        std::string said;
        Run("reg", {"query", kServiceKey}, &said);
        return said;
    }
    bool Stopped() {
        std::string said;
        Run("sc", {"query", "Tesmar"}, &said);
        return said.find("STOPPED") != std::string::npos;
    }

    e2e::TesmarServer tesmar;
};

TEST_F(ServiceTest, InstalledServiceServesAndAStopInARushLosesNothing) {
    if (e2e::KindUnderTest() == e2e::ServerKind::Native) GTEST_SKIP() << "a Windows service";
    std::string said;
    ASSERT_EQ(0, Run(e2e::TesmarExe(), {"/install"}, &said)) << said;
    EXPECT_NE(said.find("Installed the service Tesmar"), std::string::npos) << said;
    EXPECT_NE(said.find("event source Tesmar"), std::string::npos) << said;
    std::string record = ServiceRecord();
    EXPECT_NE(record.find("tesmar.exe\" /service"), std::string::npos) << record;
    EXPECT_NE(record.find("NT AUTHORITY\\NetworkService"), std::string::npos) << record;
    EXPECT_NE(record.find("DelayedAutostart    REG_DWORD    0x1"), std::string::npos) << record;
    EXPECT_NE(record.find("Start    REG_DWORD    0x2"), std::string::npos) << record;

    ASSERT_EQ(0, Run("sc", {"start", "Tesmar"}, &said)) << said;
    ASSERT_TRUE(e2e::PollUntil([&] { return e2e::Listening(tesmar.port()); }, 60))
        << "the service does not listen";
    ASSERT_EQ(e2e::Exchange(tesmar.port(), "#iuser000-08:00\n\r").bytes, "0\n\r");

    // A desktop copy started while the service serves the board says so
    // and ends; the service serves on.
    pid_t desktop = tesmar.StartAnother(tesmar.work() + "/../desktop.txt");
    ASSERT_GT(desktop, 0);
    const std::string box = tesmar.work() + "/../box.txt";
    pid_t probe = tesmar.prefix().Start(e2e::WindowsBuildDir() + "/tests/drivers/box_probe.exe",
                                        {"Tesmar 1.41", "30000"}, box);
    ASSERT_GT(probe, 0);
    EXPECT_EQ(e2e::WinePrefix::WaitExit(probe, 40000), 0) << ReadBytes(box);
    EXPECT_EQ(ReadBytes(box).find("Another Tesmar is serving this board"), 0u) << ReadBytes(box);
    EXPECT_EQ(e2e::WinePrefix::WaitExit(desktop, 20000), 0) << "the desktop copy stayed";
    ASSERT_EQ(e2e::Exchange(tesmar.port(), "#iuser001-08:01\n\r").bytes, "0\n\r");

    // The rush: 150 members sign out over about four seconds, 30 ms apart;
    // the stop comes once the first 30 answers are back, so that it lands
    // in the middle of it.
    std::vector<std::string> replies(150);
    std::atomic<int> answered{0};
    std::vector<std::thread> members;
    for (int i = 0; i < 150; ++i)
        members.emplace_back([&, i] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30 * i));
            e2e::Reply reply = e2e::Exchange(
                tesmar.port(), "#o" + e2e::UserName(i) + "-10:00-Rush-11:00\n\r", 30000);
            replies[i] = reply.bytes;
            if (reply.bytes == "0\n\r") ++answered;
        });
    e2e::PollUntil([&] { return answered.load() >= 30; }, 60);
    long long asked = e2e::NowMs();
    ASSERT_EQ(0, Run("sc", {"stop", "Tesmar"}, &said)) << said;
    bool stopped = e2e::PollUntil([&] { return Stopped(); }, 30);
    long long stop_ms = e2e::NowMs() - asked;
    for (std::thread &member : members) member.join();
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(e2e::Listening(tesmar.port()));
    // A generous bound on what must take under 10 s.
    EXPECT_LT(stop_ms, 30000);

    std::string board = ReadBytes(tesmar.DataFile());
    int lines = 0, rushed = 0, answered_in_file = 0;
    for (size_t at = 0; (at = board.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    for (int i = 0; i < 150; ++i) {
        bool in_file = board.find(e2e::UserName(i) + "-0-Rush-10:00-11:00-") != std::string::npos;
        rushed += in_file;
        if (replies[i] == "0\n\r") {
            EXPECT_TRUE(in_file) << e2e::UserName(i) << " was answered and is not in the file";
            ++answered_in_file;
        }
    }
    EXPECT_EQ(lines, 150) << board;
    int refused = 0;
    for (const std::string &reply : replies) refused += reply == "<no connection>";
    std::printf("stop during a rush of 150: SERVICE_STOPPED %lld ms after sc stop; %d answered, "
                "%d refused a connection, %d signed out in the data file (%d lines)\n",
                stop_ms, answered.load(), refused, rushed, lines);
    EXPECT_EQ(answered_in_file, answered.load());

    ASSERT_EQ(0, Run(e2e::TesmarExe(), {"/uninstall"}, &said)) << said;
    EXPECT_NE(said.find("removed the service Tesmar"), std::string::npos) << said;
    EXPECT_EQ(ServiceRecord().find("ImagePath"), std::string::npos);
    EXPECT_EQ(ReadBytes(tesmar.DataFile()), board);
}

} // namespace
