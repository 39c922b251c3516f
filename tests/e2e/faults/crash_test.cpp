// tesmar.exe killed (SIGKILL to its Wine process) at random moments of a
// storm of sign-outs: the data file must always hold a whole board, and
// every change answered "0\n\r" before the kill must be on it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

#include "tests/e2e/faults/wine_run.h"

namespace faults {
namespace {

constexpr int kUsers = 150;
constexpr int kKills = 25;
constexpr int kStormClients = 3;

// Each sign-out carries its serial number in the destination, so that the
// disk says which request wrote a record.
std::string SignOut(int serial) {
    return "#o" + UserName(serial % kUsers) + "-08:00-d" + std::to_string(serial) + "-09:00\n\r";
}

// Checks the data file: kUsers well-formed lines, the users in order, and
// every record at least as new as the last change answered for it.
// last_answered[u]: serial of the last "0\n\r" for user u, -1 for none.
void ExpectWholeBoard(const std::string &bytes, const std::vector<int> &last_answered, int round) {
    std::istringstream lines(bytes);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) {
        SCOPED_TRACE("round " + std::to_string(round) + ", line " + std::to_string(n) + ": " +
                     line);
        ASSERT_LT(n, kUsers) << "more lines than users";
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r') << "line not ended by CR LF";
        line.pop_back();
        // name-flag-destination-time-return-
        char name[32], destination[40], time[16], return_time[40];
        int flag = -1, used = 0;
        int fields = sscanf(line.c_str(), "%31[^-]-%d-%39[^-]-%15[^-]-%39[^-]-%n", name, &flag,
                            destination, time, return_time, &used);
        ASSERT_EQ(fields, 5);
        ASSERT_EQ(used, static_cast<int>(line.size())) << "text after the last field";
        EXPECT_EQ(std::string(name), UserName(n));
        if (flag == 1) {
            // Never signed out since the start: no answered change may be missing.
            EXPECT_EQ(last_answered[n], -1) << "an answered sign-out is lost";
        } else {
            ASSERT_EQ(flag, 0);
            int serial = -1;
            ASSERT_EQ(sscanf(destination, "d%d", &serial), 1);
            EXPECT_EQ(serial % kUsers, n) << "a record holds another user's change";
            EXPECT_GE(serial, last_answered[n]) << "an answered sign-out is lost";
            EXPECT_EQ(std::string(time), "08:00");
            EXPECT_EQ(std::string(return_time), "09:00");
        }
        ++n;
    }
    EXPECT_EQ(n, kUsers) << "round " << round << ": the board lost users";
    EXPECT_TRUE(bytes.empty() || bytes.back() == '\n') << "the last line is cut short";
}

TEST(CrashDuringWrites, AKillAtAnyMomentLeavesAWholeBoardWithEveryAnsweredChange) {
    TesmarServer server(e2e::ScratchDir("faults.crash"), kUsers);

    unsigned seed = static_cast<unsigned>(std::random_device{}());
    RecordProperty("seed", static_cast<int>(seed));
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    std::vector<int> last_answered(kUsers, -1);
    std::mutex answered_lock;
    std::atomic<int> next_serial{0};
    int answered_total = 0;

    for (int round = 0; round < kKills; ++round) {
        ASSERT_TRUE(server.Start()) << "round " << round << ": " << server.StartFailure();
        std::atomic<bool> stop{false};
        std::atomic<int> answered_this_round{0};
        std::vector<std::thread> clients;
        for (int c = 0; c < kStormClients; ++c) {
            clients.emplace_back([&] {
                while (!stop) {
                    int serial = next_serial++;
                    Reply reply = Exchange(server.port(), SignOut(serial), 5000);
                    if (reply.bytes == "0\n\r") {
                        std::lock_guard<std::mutex> hold(answered_lock);
                        int &last = last_answered[serial % kUsers];
                        if (serial > last) last = serial;
                        ++answered_this_round;
                    }
                }
            });
        }
        // The kill falls at a random moment: before the first reply, in the
        // middle of a request's writes, or between requests.
        int delay_ms = std::uniform_int_distribution<int>(0, 400)(random);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
        server.Kill();
        stop = true;
        for (auto &client : clients) client.join();
        answered_total += answered_this_round;

        ExpectWholeBoard(ReadBytes(server.DataFile()), last_answered, round);
        if (HasFatalFailure() || HasNonfatalFailure()) return;
    }
    // The storm did reach the server (not every kill fell before the first
    // reply).
    EXPECT_GT(answered_total, kKills);
    std::printf("%d kills, %d answered sign-outs checked, %zu temporary files left by kills\n",
                kKills, answered_total, ListDirectory(server.work()).size() - 2);

    // The board as the last kill left it still serves.
    ASSERT_TRUE(server.Start()) << server.StartFailure();
    Reply reply = Exchange(server.port(), "#i" + UserName(0) + "-10:00\n\r");
    EXPECT_EQ(reply.bytes, "0\n\r");
    std::string bytes = ReadBytes(server.DataFile());
    EXPECT_EQ(bytes.substr(0, bytes.find('\n') + 1), UserName(0) + "-1- -10:00- -\r\n");
}

} // namespace
} // namespace faults
