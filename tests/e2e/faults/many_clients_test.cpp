// Sixteen wenlo.exe clients (one address) against one tesmar.exe, all under Wine: every
// client signs its own user out and in again at the same moment as the
// others; every change lands and no client shows an error. Wine runs every
// process of a prefix in one session, where wenlo.exe allows one client:
// the crowd runs the same client built without that guard.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include "tests/e2e/faults/wine_run.h"

namespace faults {
namespace {

constexpr int kUsers = 30;
// The clients all run on this machine, so they come from one address,
// which the server lets hold 16 sign-in connections at once: a crowd of
// 16 is the most that one address is sure to have served together.
constexpr int kClients = 16;

TEST(ManyClients, SixteenClientsOfOneAddressSignOutAndInTogetherAndEveryChangeLands) {
    for (const std::string &exe : {TesmarExe(), WindowsTestProgram("wenlo_crowd_client"),
                                   WindowsTestProgram("wenlo_crowd_driver")})
        ASSERT_EQ(access(exe.c_str(), R_OK), 0) << exe << " is not built";

    const std::string dir = e2e::ScratchDir("faults.many-clients");
    TesmarServer server(dir, kUsers);
    ASSERT_TRUE(server.Start()) << server.StartFailure();
    const std::string board = ReadBytes(server.DataFile());

    // The clients share a prefix of their own, apart from the server's.
    WinePrefix clients(dir + "/clients-prefix");
    clients.SetMachineValues("SOFTWARE\\KVT\\Wenlo", {{"UserName", UserName(0)},
                                                      {"Server", "127.0.0.1"},
                                                      {"Port", std::to_string(server.port())}});
    for (int i = 0; i < kClients; ++i)
        ASSERT_GT(StartProgram(clients, WindowsTestProgram("wenlo_crowd_client"), dir), 0);

    const std::string log = dir + "/crowd-driver.txt";
    pid_t driver =
        clients.Start(WindowsTestProgram("wenlo_crowd_driver"),
                      {std::to_string(kClients), WindowsPath(server.DataFile())}, log, dir);
    ASSERT_GT(driver, 0);
    int status = WinePrefix::WaitExit(driver, 150000);
    if (status == -1) KillProcess(driver);
    std::string said = ReadBytes(log);
    EXPECT_EQ(status, 0) << said;
    EXPECT_NE(said.find("ok: " + std::to_string(kClients) + " signed out"), std::string::npos)
        << said;
    EXPECT_NE(said.find("ok: " + std::to_string(kClients) + " signed in"), std::string::npos)
        << said;

    // The whole board: the crowd's users in at their own minute, the rest
    // as they were.
    std::string expected = board;
    for (int i = 0; i < kClients; ++i) {
        std::string old_line = UserName(i) + "-1- -12:00- -\r\n";
        char minute[8];
        snprintf(minute, sizeof minute, "%02d", i);
        expected.replace(expected.find(old_line), old_line.size(),
                         UserName(i) + "-1- -13:" + minute + "- -\r\n");
    }
    EXPECT_EQ(ReadBytes(server.DataFile()), expected);
    EXPECT_TRUE(server.Running());
}

} // namespace
} // namespace faults
