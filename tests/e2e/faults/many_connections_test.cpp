// Many connections open at once against one tesmar.exe: silent, slow and
// idle clients cost an ordinary member nothing, and the table of open
// connections stays bounded.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "server/engine/request_deadline.h"
#include "tests/e2e/faults/wine_run.h"

namespace faults {
namespace {

constexpr int kUsers = 10;
constexpr int kDeadlineMs = kRequestDeadlineMs;
// An ordinary request is answered well within this, whatever else is open.
constexpr double kPromptMs = 2000;

class ManyConnections : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server = std::make_unique<TesmarServer>(e2e::ScratchDir("faults.many-connections"), kUsers);
        if (server->Start()) return;
        start_failure = server->StartFailure();
        server.reset();
    }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override { ASSERT_TRUE(server) << "the server did not start: " << start_failure; }

    // Silent connections of four hosts (127.0.0.2 to .5) in turn, none
    // past its share of the connections.
    static std::vector<std::unique_ptr<TcpClient>> OpenSilent(int count) {
        std::vector<std::unique_ptr<TcpClient>> clients;
        for (int i = 0; i < count; ++i) {
            clients.push_back(std::make_unique<TcpClient>());
            EXPECT_TRUE(clients.back()->Connect(server->port(), 0, Host(i))) << i;
        }
        return clients;
    }
    static std::string Host(int i) { return "127.0.0." + std::to_string(2 + i % 4); }
    static std::unique_ptr<TesmarServer> server;
    static std::string start_failure;
};
std::unique_ptr<TesmarServer> ManyConnections::server;
std::string ManyConnections::start_failure;

TEST_F(ManyConnections, TwentySilentConnectionsHoldUpNeitherASignOutNorTheWindow) {
    auto silent = OpenSilent(20);
    Reply reply = Exchange(server->port(), "#o" + UserName(1) + "-10:00-Bank-11:00\n\r");
    EXPECT_EQ(reply.bytes, "0\n\r");
    EXPECT_LT(reply.ms, kPromptMs);
    EXPECT_NE(ReadBytes(server->DataFile()).find(UserName(1) + "-0-Bank-10:00-11:00-"),
              std::string::npos);

    // The main window answers a message while 20 more silent connections
    // are open (they are opened from inside the prefix, just before).
    std::string said = server->work() + "/probe.out";
    pid_t probe = server->prefix().Start(WindowsTestProgram("window_probe"),
                                         {std::to_string(server->port()), "20"}, said);
    ASSERT_GT(probe, 0);
    EXPECT_EQ(WinePrefix::WaitExit(probe, 30000), 0) << ReadBytes(said);
}

TEST_F(ManyConnections, AOneByteASecondClientDoesNotHoldUpAnOrdinaryOne) {
    TcpClient slow;
    ASSERT_TRUE(slow.Connect(server->port()));
    std::string request = "#i" + UserName(2) + "-09:45\n\r";
    std::thread trickle([&] {
        for (size_t i = 0; i < request.size() && slow.Send(request.substr(i, 1)); ++i)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Reply reply = Exchange(server->port(), "#o" + UserName(3) + "-10:05-Post-10:30\n\r");
    EXPECT_EQ(reply.bytes, "0\n\r");
    EXPECT_LT(reply.ms, kPromptMs);
    // The slow one is ended at its deadline, unanswered and unapplied.
    bool closed = false;
    EXPECT_EQ(slow.ReadUntilClosed(4 * kDeadlineMs, &closed), "");
    EXPECT_TRUE(closed);
    trickle.join();
    EXPECT_NE(ReadBytes(server->DataFile()).find(UserName(2) + "-1- -12:00- -"), std::string::npos);
}

TEST_F(ManyConnections, TheSixtyFifthConnectionEndsTheOldest) {
    // Four hosts at their share fill the table; the member is a fifth.
    auto idle = OpenSilent(64);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Reply reply = Exchange(server->port(), "#i" + UserName(4) + "-08:15\n\r");
    EXPECT_EQ(reply.bytes, "0\n\r");
    // The first is gone at once; the second is still open (its deadline
    // has not come yet).
    bool first_closed = false, second_closed = false;
    idle[0]->ReadUntilClosed(500, &first_closed);
    idle[1]->ReadUntilClosed(100, &second_closed);
    EXPECT_TRUE(first_closed);
    EXPECT_FALSE(second_closed);
}

TEST_F(ManyConnections, PeersThatReconnectWhenEndedLeaveRoomForAMemberWhoseLineIsLate) {
    // 66 peers of another host (127.0.0.6) connect at once and reconnect
    // as soon as they are ended.
    std::atomic<bool> stop{false};
    std::vector<std::thread> churn;
    for (int i = 0; i < 66; ++i) {
        churn.emplace_back([&] {
            while (!stop) {
                TcpClient peer;
                if (!peer.Connect(server->port(), 0, "127.0.0.6")) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    continue;
                }
                bool closed = false;
                while (!stop && !closed) peer.ReadUntilClosed(100, &closed);
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    // A member whose line comes 150 ms after its connect (a busy PC at
    // logon) is answered every time.
    int answered = 0;
    for (int i = 0; i < 5; ++i) {
        TcpClient member;
        ASSERT_TRUE(member.Connect(server->port()));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        member.Send("#o" + UserName(5) + "-11:0" + std::to_string(i) + "-Out-12:00\n\r");
        answered += member.ReadUntilClosed(4 * kDeadlineMs) == "0\n\r";
    }
    stop = true;
    for (std::thread &peer : churn) peer.join();
    EXPECT_EQ(answered, 5);
    EXPECT_NE(ReadBytes(server->DataFile()).find(UserName(5) + "-0-Out-11:04-12:00-"),
              std::string::npos);
}

TEST_F(ManyConnections, ACrowdThatArrivesTogetherIsSavedInAFewBatches) {
    // Each save replaces the data file by a rename into the folder.
    int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, server->work().c_str(), IN_MOVED_TO), 0);
    constexpr int kCrowd = 60;
    std::atomic<int> ready{0}, answered{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> crowd;
    for (int i = 0; i < kCrowd; ++i) {
        crowd.emplace_back([&, i] {
            TcpClient member;
            bool connected = false;
            ++ready;
            while (!go) std::this_thread::yield();
            // Of four hosts of its own, within their shares.
            connected = member.Connect(server->port(), 0, "127.0.0." + std::to_string(7 + i % 4));
            if (!connected) return;
            member.Send("#i" + UserName(i % kUsers) + "-08:0" + std::to_string(i % 10) + "\n\r");
            answered += member.ReadUntilClosed(4 * kDeadlineMs) == "0\n\r";
        });
    }
    while (ready < kCrowd) std::this_thread::yield();
    go = true;
    for (std::thread &member : crowd) member.join();
    EXPECT_EQ(answered, kCrowd);
    int saves = 0;
    char events[64 * 1024];
    ssize_t got;
    while ((got = read(watch, events, sizeof events)) > 0) {
        for (char *p = events; p < events + got;) {
            auto *event = reinterpret_cast<inotify_event *>(p);
            if (event->len && std::strcmp(event->name, "tesmar.dat") == 0) ++saves;
            p += sizeof(inotify_event) + event->len;
        }
    }
    close(watch);
    // One save a member would be 60.
    EXPECT_GE(saves, 1);
    EXPECT_LE(saves, 8);
}

} // namespace
} // namespace faults
