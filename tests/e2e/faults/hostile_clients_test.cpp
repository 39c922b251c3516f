// Clients that do not follow the wire format: each is ended within a
// bound, the board stays whole, and the next ordinary client is served.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <random>
#include <thread>

#include "server/engine/request_deadline.h"
#include "tests/e2e/faults/wine_run.h"

namespace faults {
namespace {

constexpr int kUsers = 20;
// The time the server gives a connection to deliver its request line
// (taken from the server's source by the build); a client counts as ended
// in time within several times that.
constexpr int kDeadlineMs = kRequestDeadlineMs;
constexpr int kBoundMs = 4 * kDeadlineMs;

class HostileClients : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        server = std::make_unique<TesmarServer>(e2e::ScratchDir("faults.hostile"), kUsers);
        if (server->Start()) return;
        start_failure = server->StartFailure();
        server.reset();
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        ASSERT_TRUE(server) << "the server did not start: " << start_failure;
        board_before = ReadBytes(server->DataFile());
    }

    // After each hostile client: the server still runs, an ordinary
    // sign-in right after succeeds, and it changed only its own line.
    void TearDown() override {
        if (!server) return;
        EXPECT_TRUE(server->Running()) << "the server is gone";
        Reply reply = Exchange(server->port(), "#i" + UserName(kUsers - 1) + "-17:30\n\r");
        EXPECT_EQ(reply.bytes, "0\n\r");
        std::string expected = board_before;
        std::string old_line = UserName(kUsers - 1) + "-1- -12:00- -\r\n";
        size_t at = expected.find(old_line);
        if (at != std::string::npos)
            expected.replace(at, old_line.size(), UserName(kUsers - 1) + "-1- -17:30- -\r\n");
        EXPECT_EQ(ReadBytes(server->DataFile()), expected)
            << "the hostile client changed the board";
        // Back as it was for the next test.
        Exchange(server->port(), "#i" + UserName(kUsers - 1) + "-12:00\n\r");
    }

    // Waits until the server ends the connection; returns the time taken
    // (or kBoundMs * 2 when it did not end it).
    static double WaitForEnd(TcpClient &client, std::string *bytes = nullptr) {
        double start = NowMs();
        bool closed = false;
        std::string got = client.ReadUntilClosed(kBoundMs * 2, &closed);
        if (bytes) *bytes = got;
        return closed ? NowMs() - start : kBoundMs * 2;
    }

    static std::unique_ptr<TesmarServer> server;
    static std::string start_failure;
    std::string board_before;
};

std::unique_ptr<TesmarServer> HostileClients::server;
std::string HostileClients::start_failure;

TEST_F(HostileClients, ASilentClientIsEndedAndAClientWaitingBehindItIsServed) {
    TcpClient silent;
    ASSERT_TRUE(silent.Connect(server->port()));
    // An ordinary client arrives while the silent one holds the server.
    auto waiting = std::async(std::launch::async, [] {
        return Exchange(server->port(), "#o" + UserName(0) + "-09:00-Bank-10:00\n\r", kBoundMs * 2);
    });
    double ended_ms = WaitForEnd(silent);
    silent.Close();
    EXPECT_LE(ended_ms, kBoundMs);
    Reply reply = waiting.get();
    EXPECT_EQ(reply.bytes, "0\n\r");
    EXPECT_LE(reply.ms, kBoundMs);
    // Put user000 back, so that the board is as before for TearDown.
    EXPECT_EQ(Exchange(server->port(), "#i" + UserName(0) + "-12:00\n\r").bytes, "0\n\r");
}

TEST_F(HostileClients, AClientSendingOneByteASecondIsEndedWithinTheBound) {
    TcpClient slow;
    ASSERT_TRUE(slow.Connect(server->port()));
    const std::string request = "#o" + UserName(1) + "-09:00-Slowly-10:00\n\r";
    double start = NowMs();
    double ended_ms = kBoundMs * 2;
    for (size_t i = 0; i < request.size(); ++i) {
        if (!slow.Send(request.substr(i, 1))) break;
        // Between bytes, watch for the server's end.
        bool closed = false;
        slow.ReadUntilClosed(1000, &closed);
        if (closed) {
            ended_ms = NowMs() - start;
            break;
        }
    }
    slow.Close();
    EXPECT_LE(ended_ms, kBoundMs);
}

TEST_F(HostileClients, TenKilobytesOfGarbageAreRejected) {
    TcpClient client;
    ASSERT_TRUE(client.Connect(server->port()));
    std::mt19937 random(7);
    std::string garbage(10 * 1024, '\0');
    for (char &c : garbage) c = static_cast<char>(random());
    // All 10 kB are sent, whatever the server does after the first 256.
    std::thread sender([&] { client.Send(garbage); });
    std::string reply;
    double ended_ms = WaitForEnd(client, &reply);
    sender.join();
    client.Close();
    EXPECT_LE(ended_ms, kBoundMs);
    // Random bytes hold a line end within the first 255 bytes now and then;
    // either way nothing but a known reply (or none) comes back.
    EXPECT_TRUE(reply.empty() || reply == "Your request was not processed.\n\r" || reply == "\n\r")
        << reply;
}

TEST_F(HostileClients, NulBytesInARequestDoNotReachTheBoard) {
    TcpClient client;
    ASSERT_TRUE(client.Connect(server->port()));
    // A sign-out whose name is followed by NULs, then a line end.
    const std::string request("#o" + UserName(2) + std::string(8, '\0') +
                                  "-09:00-Nowhere-10:00\n\r" + std::string(16, '\0'),
                              2 + 7 + 8 + 20 + 16);
    ASSERT_TRUE(client.Send(request));
    std::string reply;
    double ended_ms = WaitForEnd(client, &reply);
    client.Close();
    EXPECT_LE(ended_ms, kBoundMs);
    // What follows a NUL never reaches the request line: "Nowhere" is not
    // stored (TearDown checks the board).
    EXPECT_NE(reply, "0\n\r");
}

TEST_F(HostileClients, AClientResettingMidRequestLeavesTheServerServing) {
    TcpClient client;
    ASSERT_TRUE(client.Connect(server->port()));
    ASSERT_TRUE(client.Send("#o" + UserName(3) + "-09:00-Hal"));
    client.Reset();
    // The next client is served at once.
    Reply reply = Exchange(server->port(), "hello\n\r", kBoundMs);
    EXPECT_EQ(reply.bytes, "\n\r");
    EXPECT_LE(reply.ms, kBoundMs);
    // Under Wine a reset reads as the peer's close, and the text gathered
    // before a close is dispatched as the request: the cut-short sign-out
    // may have been applied. The record must still be a whole line.
    std::string board = ReadBytes(server->DataFile());
    std::string changed = UserName(3) + "-0-Hal-09:00- -\r\n";
    std::string unchanged = UserName(3) + "-1- -12:00- -\r\n";
    EXPECT_TRUE(board.find(changed) != std::string::npos ||
                board.find(unchanged) != std::string::npos)
        << board;
    // Back as it was for TearDown's comparison of the whole board.
    EXPECT_EQ(Exchange(server->port(), "#i" + UserName(3) + "-12:00\n\r").bytes, "0\n\r");
}

} // namespace
} // namespace faults
