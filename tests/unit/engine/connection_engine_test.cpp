#include "server/engine/connection_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "server/board/board_file.h"
#include "server/engine/status_line.h"
#include "server/web/web_guard.h"
#include "server/web/web_port.h"
#include "common/fixed_text.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/fixed_key_crypto.h"
#include "tests/kit/doubles/scripted_engine_sockets.h"
#include "tests/kit/doubles/scripted_exchange_maker.h"
#include "tests/kit/doubles/recording_change_journal.h"

namespace {

class EngineTest : public ::testing::Test {
  protected:
    EngineTest() {
        WriteBytes(dir.File("tesmar.dat"), "Ann-1- -08:00- -\r\nBob-1- -08:00- -\r\n");
        ReadBoardFile(table, settings);
        SortAndCompact(table);
        publisher.SetJournal(&saves);
    }
    // Runs the batch if one waits and nothing is queued, then tells the
    // engine of the publication, as the front end does.
    bool RunBatch(std::uint64_t now, bool queued = false) {
        PublishResult result;
        bool ran = engine.RunBatchWhenDue(now, queued, board, publisher, result);
        engine.Published(publisher);
        return ran;
    }
    // An edit of the administrator's, told to the engine.
    void PublishPage() {
        ASSERT_FALSE(publisher.PublishPage(board).Failed());
        engine.Published(publisher);
    }
    // Fills the sign-in pool with count idle connections from peer.
    std::vector<SocketId> Idle(const std::string &peer, size_t count, std::uint64_t now) {
        std::vector<SocketId> ids;
        for (size_t i = 0; i < count; ++i) ids.push_back(sockets.Connect(Pool::SignIn, peer));
        for (int notice = 0; notice < 4; ++notice) engine.AcceptNotice(Pool::SignIn, now);
        return ids;
    }

    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir);
    UserTable table{};
    RecordingAlerts alerts;
    FixedClock clock;
    FixedKeyCrypto crypto;
    WebSignKey web_key{crypto};
    BoardContext board{table, settings, alerts, clock};
    PlatformFiles files;
    Publisher publisher{files.reader, files.writer};
    // Counts publications: the journal is flushed once each, right after the save.
    RecordingChangeJournal saves;
    StatusLine status;
    ScriptedEngineSockets sockets;
    WebPort web;
    ConnectionEngine engine{sockets, status, web};
};

const std::string kSignIn = "#iAnn-09:00\n\r";

size_t EventsIn(const std::string &bytes) {
    size_t n = 0;
    for (size_t at = bytes.find("event: board\n"); at != std::string::npos;
         at = bytes.find("event: board\n", at + 1))
        ++n;
    return n;
}

const std::string kWatch = "GET /events HTTP/1.1\r\nHost: localhost\r\n\r\n";

TEST_F(EngineTest, AHoardingAddressEndsOnlyItsOwnIdleConnectionsInEachPool) {
    web.ServeFrom(publisher);
    PublishPage();
    const std::string board = "GET /board.json HTTP/1.1\r\nHost: localhost\r\n\r\n";
    for (Pool pool : {Pool::SignIn, Pool::Web}) {
        const size_t share = AddressShare(kPoolRules[static_cast<int>(pool)].capacity);
        SocketId office = sockets.Connect(pool, "10.0.0.9");
        engine.AcceptNotice(pool, 0);
        // One of the stranger's connections has begun its request: not idle.
        SocketId started =
            sockets.Connect(pool, "10.0.0.1", pool == Pool::SignIn ? "#iAn" : "GET /");
        std::vector<SocketId> hoard;
        for (int i = 0; i < 200; ++i) hoard.push_back(sockets.Connect(pool, "10.0.0.1"));
        engine.AcceptNotice(pool, 10);
        // All taken at once: past its share each is turned away, held
        // unread until the deadline.
        EXPECT_EQ(0u, sockets.Waiting(pool));
        EXPECT_EQ(1 + share, engine.OpenCount(pool));
        EXPECT_EQ(201 - share, engine.HeldCount());
        EXPECT_FALSE(sockets.Closed(hoard[0]));
        // Once idle a while, its oldest idle one makes room for its newcomer.
        SocketId again = sockets.Connect(pool, "10.0.0.1");
        engine.AcceptNotice(pool, 10 + kIdleOwnMs);
        EXPECT_FALSE(sockets.Closed(again));
        EXPECT_TRUE(sockets.Closed(hoard[0]));
        EXPECT_FALSE(sockets.Closed(started));
        EXPECT_FALSE(sockets.Closed(office));
        EXPECT_EQ(1 + share, engine.OpenCount(pool));
        EXPECT_STREQ("GetRequest: Windows Sockets reports error 2745", status.Text());
        // The office's request is answered.
        SocketId member = sockets.Connect(pool, "10.0.0.9", pool == Pool::SignIn ? kSignIn : board);
        engine.AcceptNotice(pool, 20 + kIdleOwnMs);
        ASSERT_TRUE(RunBatch(20 + kIdleOwnMs));
        EXPECT_EQ(0u, sockets.sockets[member].sent.find(pool == Pool::SignIn ? "0\n\r"
                                                                             : "HTTP/1.1 200 OK"));
        engine.Tick(10 + kRequestDeadlineMs);
        EXPECT_TRUE(sockets.Closed(hoard.back()));
        EXPECT_TRUE(sockets.sockets[hoard.back()].sent.empty());
        EXPECT_EQ(0u, engine.HeldCount());
        engine.CloseAll();
    }

    // The watchers: past its share the stranger gets 503; the office's
    // page joins.
    std::vector<SocketId> watchers;
    for (size_t i = 0; i < kMaxWatchers / 4 + 8; ++i)
        watchers.push_back(sockets.Connect(Pool::Web, "10.0.0.1", kWatch));
    SocketId page = sockets.Connect(Pool::Web, "10.0.0.9", kWatch);
    for (int notice = 0; notice < 3; ++notice) engine.AcceptNotice(Pool::Web, 5000 + notice);
    EXPECT_EQ(kMaxWatchers / 4 + 1, engine.WatcherCount());
    EXPECT_EQ(0u, sockets.sockets[watchers.back()].sent.find("HTTP/1.1 503"));
    EXPECT_EQ(1u, EventsIn(sockets.sockets[watchers.front()].sent));
    EXPECT_EQ(1u, EventsIn(sockets.sockets[page].sent));
}

TEST_F(EngineTest, SixteenCrowdingAddressesStillLeaveRoomForANewcomerInEachPool) {
    web.ServeFrom(publisher);
    PublishPage();
    const std::string board = "GET /board.json HTTP/1.1\r\nHost: localhost\r\n\r\n";
    std::uint64_t now = 0;
    for (Pool pool : {Pool::SignIn, Pool::Web}) {
        // 360 silent connections of sixteen addresses, none past its share
        // in the full pool; each that is ended connects again.
        std::vector<SocketId> crowd;
        auto peer = [](size_t i) { return "10.0.1." + std::to_string(i % 16); };
        for (size_t i = 0; i < 360; ++i) crowd.push_back(sockets.Connect(pool, peer(i)));
        engine.AcceptNotice(pool, now);
        now += kIdleGraceMs;
        SocketId member = sockets.Connect(pool, "10.0.0.9", pool == Pool::SignIn ? kSignIn : board);
        for (int notice = 0; notice < 4 && !sockets.sockets.count(member); ++notice) {
            for (size_t i = 0; i < crowd.size(); ++i)
                if (sockets.sockets.count(crowd[i]) && sockets.Closed(crowd[i]))
                    crowd[i] = sockets.Connect(pool, peer(i));
            engine.AcceptNotice(pool, now + notice);
        }
        ASSERT_TRUE(RunBatch(now + 10));
        EXPECT_EQ(0u, sockets.sockets[member].sent.find(pool == Pool::SignIn ? "0\n\r"
                                                                             : "HTTP/1.1 200 OK"));
        EXPECT_LE(engine.OpenCount(pool), kPoolRules[static_cast<int>(pool)].capacity);
        engine.CloseAll();
        for (auto &waiting : sockets.backlog) waiting.clear();
        now += 1000;
    }

    // A full pool of watchers of four addresses: a newcomer of a fifth
    // ends the oldest of those holding the most.
    std::vector<SocketId> watchers;
    for (size_t i = 0; i < kMaxWatchers; ++i)
        watchers.push_back(sockets.Connect(Pool::Web, "10.0.2." + std::to_string(i % 4), kWatch));
    for (int notice = 0; notice < 4; ++notice) engine.AcceptNotice(Pool::Web, now + notice);
    ASSERT_EQ(kMaxWatchers, engine.WatcherCount());
    SocketId page = sockets.Connect(Pool::Web, "10.0.0.9", kWatch);
    engine.AcceptNotice(Pool::Web, now + 10);
    EXPECT_EQ(1u, EventsIn(sockets.sockets[page].sent));
    EXPECT_TRUE(sockets.Closed(watchers[0]));
    EXPECT_FALSE(sockets.Closed(watchers[1]));
    EXPECT_EQ(kMaxWatchers, engine.WatcherCount());
}

TEST_F(EngineTest, ChurnFromOneAddressEndsNoOtherAddressAndLetsALateLineIn) {
    std::vector<SocketId> office = Idle("10.0.0.9", 5, 0);
    std::vector<SocketId> churn = Idle("10.0.0.1", 61, 0); // past its share: closed at once
    // The churning host reconnects each connection as soon as it is ended,
    // for ten seconds; every half second a member of another host connects
    // and sends its line 150 ms after its connect.
    struct Member {
        SocketId id;
        std::uint64_t line_at;
        bool sent;
    };
    std::vector<Member> members;
    for (std::uint64_t now = 600; now < 10000; now += 10) {
        // Each accept announces the next waiting connection: ten notices in
        // these 10 ms.
        for (int notice = 0; notice < 10; ++notice) {
            engine.AcceptNotice(Pool::SignIn, now);
            for (size_t i = 0; i < churn.size(); ++i) {
                auto found = sockets.sockets.find(churn[i]);
                if (found == sockets.sockets.end() || !found->second.closed) continue;
                // Its handle value comes back with the new connection, as
                // Windows reuses them.
                sockets.sockets.erase(found);
                sockets.Connect(Pool::SignIn, "10.0.0.1", "", churn[i]);
            }
        }
        engine.Tick(now);
        if (now % 500 == 100)
            members.push_back({sockets.Connect(Pool::SignIn, "10.0.0.2"), now + 150, false});
        for (Member &member : members) {
            if (member.sent || now < member.line_at) continue;
            member.sent = true;
            auto accepted = sockets.sockets.find(member.id);
            if (accepted != sockets.sockets.end()) {
                accepted->second.incoming = kSignIn;
                engine.ReadNotice(member.id, now);
                continue;
            }
            for (auto &waiting : sockets.backlog[0])
                if (waiting.first == member.id) waiting.second.incoming = kSignIn;
        }
        RunBatch(now);
        // Until their deadline the other host's idle connections stay.
        if (now == kRequestDeadlineMs - 10)
            for (SocketId id : office) EXPECT_FALSE(sockets.Closed(id));
    }
    ASSERT_EQ(members.size(), 19u);
    for (const Member &member : members)
        EXPECT_EQ(sockets.sockets[member.id].sent, "0\n\r")
            << "member connected at " << member.line_at - 150;
}

TEST_F(EngineTest, AStaleNoticeForAReusedHandleChangesNothing) {
    SocketId first = sockets.Connect(Pool::SignIn, "10.0.0.1", kSignIn);
    engine.AcceptNotice(Pool::SignIn, 0);
    ASSERT_TRUE(RunBatch(0));
    ASSERT_TRUE(sockets.Closed(first));
    // The next connection gets the same handle value; the old socket's
    // close notice (carrying a reset) comes after its accept.
    sockets.Connect(Pool::SignIn, "10.0.0.2", "", first);
    engine.AcceptNotice(Pool::SignIn, 10);
    engine.ReadNotice(first, 11);
    EXPECT_FALSE(sockets.Closed(first));
    EXPECT_STREQ(status.Text(), "");
    sockets.sockets[first].incoming = "#oBob-10:00-Bank-11:00\n\r";
    engine.ReadNotice(first, 20);
    ASSERT_TRUE(RunBatch(20));
    EXPECT_EQ(sockets.sockets[first].sent, "0\n\r");
    // A notice naming a socket no longer open is dropped.
    engine.ReadNotice(first, 30);
    EXPECT_STREQ(status.Text(), "");
}

TEST_F(EngineTest, ACrowdIsSavedInOneBatchAndTheWaitIsBounded) {
    std::vector<SocketId> crowd;
    for (int i = 0; i < 40; ++i)
        crowd.push_back(sockets.Connect(Pool::SignIn, "10.0.1." + std::to_string(i),
                                        i % 2 ? kSignIn : "#oBob-12:00-Lunch-13:00\n\r"));
    engine.AcceptNotice(Pool::SignIn, 0);
    // The next accept notice is queued: the batch waits for it.
    EXPECT_TRUE(engine.BatchPending());
    EXPECT_FALSE(RunBatch(1, true));
    EXPECT_TRUE(engine.BatchPending());
    engine.AcceptNotice(Pool::SignIn, 2);
    EXPECT_TRUE(RunBatch(3));
    EXPECT_FALSE(engine.BatchPending());
    EXPECT_EQ(saves.flushes, 1);
    for (SocketId id : crowd) {
        EXPECT_EQ(sockets.sockets[id].sent, "0\n\r");
        EXPECT_TRUE(sockets.Closed(id));
    }
    EXPECT_EQ(ReadBytes(dir.File("tesmar.dat")),
              "Ann-1- -09:00- -\r\nBob-0-Lunch-12:00-13:00-\r\n");

    // Notices that keep coming hold a batch back no longer than its wait.
    sockets.Connect(Pool::SignIn, "10.0.2.1", kSignIn);
    engine.AcceptNotice(Pool::SignIn, 100);
    EXPECT_FALSE(RunBatch(100 + kBatchWaitMs - 1, true));
    EXPECT_TRUE(RunBatch(100 + kBatchWaitMs, true));
    EXPECT_EQ(saves.flushes, 2);
}

TEST_F(EngineTest, DeadlinesEndSilentConnectionsAndAFullPoolOfHostsWaitsForThem) {
    // 64 hosts with one silent connection each: nobody holds more than its
    // share, so the 65th waits in the backlog instead of ending anyone.
    std::vector<SocketId> silent;
    for (int i = 0; i < 64; ++i)
        silent.push_back(sockets.Connect(Pool::SignIn, "10.0.3." + std::to_string(i)));
    engine.AcceptNotice(Pool::SignIn, 0);
    engine.AcceptNotice(Pool::SignIn, 0);
    SocketId late = sockets.Connect(Pool::SignIn, "10.0.4.1", kSignIn);
    engine.AcceptNotice(Pool::SignIn, 1000);
    engine.Tick(1000);
    EXPECT_EQ(sockets.Waiting(Pool::SignIn), 1u);
    EXPECT_STREQ(status.Text(), "");

    // A complete request waiting for its batch is never ended at the
    // deadline; the silent ones are, and the one waiting comes in.
    SocketId complete = silent[0];
    sockets.sockets[complete].incoming = kSignIn;
    engine.ReadNotice(complete, 2000);
    engine.Tick(kRequestDeadlineMs - 1);
    EXPECT_FALSE(sockets.Closed(silent[1]));
    engine.Tick(kRequestDeadlineMs);
    EXPECT_FALSE(sockets.Closed(complete));
    EXPECT_TRUE(sockets.Closed(silent[1]));
    EXPECT_TRUE(sockets.Closed(silent[63]));
    EXPECT_STREQ(status.Text(), "GetRequest: Windows Sockets reports error 274c");
    ASSERT_TRUE(RunBatch(kRequestDeadlineMs));
    EXPECT_EQ(sockets.sockets[complete].sent, "0\n\r");
    EXPECT_EQ(sockets.sockets[late].sent, "0\n\r");

    // A receive that fails is told with its code; the web pool has its own cap.
    SocketId reset = sockets.Connect(Pool::SignIn, "10.0.5.1", "#iAn");
    engine.AcceptNotice(Pool::SignIn, 4000);
    sockets.sockets[reset].reset = 10054;
    engine.ReadNotice(reset, 4001);
    EXPECT_TRUE(sockets.Closed(reset));
    EXPECT_STREQ(status.Text(), "GetRequest: Windows Sockets reports error 2746");
    for (int i = 0; i < 70; ++i) sockets.Connect(Pool::Web, "10.0.6." + std::to_string(i));
    for (int i = 0; i < 4; ++i) engine.AcceptNotice(Pool::Web, 4002);
    EXPECT_EQ(engine.OpenCount(Pool::Web), kPoolRules[static_cast<int>(Pool::Web)].capacity);
    EXPECT_EQ(engine.OpenCount(Pool::SignIn), 0u);
}

} // namespace

namespace {

std::string SignPost(const std::string &body, const std::string &extra = "") {
    return "POST /sign HTTP/1.1\r\nHost: boardpc:8080\r\nContent-Type: application/json\r\n" +
           extra + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST_F(EngineTest, WatchersAreAPoolOfTheirOwnAndOneThatNeverReadsIsClosed) {
    web.ServeFrom(publisher);
    PublishPage();
    std::vector<SocketId> watchers;
    for (int i = 0; i < 100; ++i)
        watchers.push_back(sockets.Connect(Pool::Web, "10.0.3." + std::to_string(i), kWatch));
    for (int notice = 0; notice < 8; ++notice) engine.AcceptNotice(Pool::Web, notice);
    EXPECT_EQ(100u, engine.WatcherCount());
    EXPECT_EQ(0u, engine.OpenCount(Pool::Web)); // not counted against the web pool
    for (SocketId id : watchers) ASSERT_EQ(1u, EventsIn(sockets.sockets[id].sent)) << id;
    // Past the request deadline they stay.
    engine.Tick(kRequestDeadlineMs * 5);
    EXPECT_EQ(100u, engine.WatcherCount());

    // One stops reading; each sign-in is answered, then every watcher gets
    // its event, until the stuck one passes 64 KB and is closed.
    sockets.sockets[watchers[5]].stuck = true;
    for (int round = 0; round < 4; ++round) {
        SocketId member = sockets.Connect(
            Pool::SignIn, "10.0.4.1",
            round % 2 ? kSignIn : "#oAnn-9:00-Bank-" + std::string(20, 'x') + "\n\r");
        engine.AcceptNotice(Pool::SignIn, 20000 + round);
        EXPECT_TRUE(RunBatch(20000 + round));
        EXPECT_EQ("0\n\r", sockets.sockets[member].sent);
    }
    // The board of two is a small event: the rest of the 64 KB fills with
    // publications of the page alone (as the User Manager's edits make).
    size_t published = 5;
    while (!sockets.sockets[watchers[5]].closed && published < 1000) {
        PublishPage();
        ++published;
    }
    // A publication told twice is sent once.
    engine.Published(publisher);
    EXPECT_TRUE(sockets.Closed(watchers[5]));
    EXPECT_GT(published, 100u);
    EXPECT_EQ(99u, engine.WatcherCount());
    EXPECT_EQ(published, EventsIn(sockets.sockets[watchers[0]].sent));
    EXPECT_EQ(published, EventsIn(sockets.sockets[watchers[99]].sent));
    EXPECT_FALSE(sockets.Closed(watchers[99]));

    // A watcher that goes away leaves the pool; the rest are closed at the end.
    sockets.sockets[watchers[0]].peer_closed = true;
    engine.ReadNotice(watchers[0], 30000);
    EXPECT_TRUE(sockets.Closed(watchers[0]));
    EXPECT_EQ(98u, engine.WatcherCount());
    engine.CloseAll();
    EXPECT_TRUE(sockets.Closed(watchers[99]));
}

TEST_F(EngineTest, ABrowsersSignInJoinsTheBatchAndIsAnsweredOverHttp) {
    web.ServeFrom(publisher);
    settings.WebSignIn = true;
    web.AllowWebSignIn(settings, web_key, {"boardpc"}, clock);
    SocketId browser = sockets.Connect(
        Pool::Web, "10.0.5.1",
        SignPost(
            "{\"name\": \"Bob\", \"in\": false, \"destination\": \"Bank\", \"return\": \"2pm\"}",
            "Origin: http://boardpc:8080\r\n"));
    SocketId member = sockets.Connect(Pool::SignIn, "10.0.5.2", kSignIn);
    engine.AcceptNotice(Pool::Web, 0);
    engine.AcceptNotice(Pool::SignIn, 0);
    EXPECT_TRUE(sockets.sockets[browser].sent.empty()); // waits for the batch
    EXPECT_TRUE(RunBatch(1));
    EXPECT_EQ(1, saves.flushes);
    EXPECT_EQ("0\n\r", sockets.sockets[member].sent);
    EXPECT_EQ(0u, sockets.sockets[browser].sent.find("HTTP/1.1 200 OK\r\n"));
    EXPECT_NE(std::string::npos, sockets.sockets[browser].sent.find("{\"ok\":true}"));
    EXPECT_EQ("Ann-1- -09:00- -\r\nBob-0-Bank-12:00pm-2pm-\r\n", ReadBytes(dir.File("tesmar.dat")));

    // Refused at once, nothing saved: a foreign Origin, then WebSignIn off.
    const std::string before = ReadBytes(dir.File("tesmar.dat"));
    SocketId foreign = sockets.Connect(
        Pool::Web, "10.0.5.3",
        SignPost("{\"name\": \"Ann\", \"in\": false}", "Origin: http://evil.example\r\n"));
    engine.AcceptNotice(Pool::Web, 10);
    EXPECT_EQ(0u, sockets.sockets[foreign].sent.find("HTTP/1.1 403 Forbidden\r\n"));
    settings.WebSignIn = false;
    SocketId off =
        sockets.Connect(Pool::Web, "10.0.5.4", SignPost("{\"name\": \"Ann\", \"in\": false}"));
    engine.AcceptNotice(Pool::Web, 11);
    EXPECT_EQ(0u, sockets.sockets[off].sent.find("HTTP/1.1 403 Forbidden\r\n"));
    EXPECT_TRUE(RunBatch(12));
    EXPECT_EQ(1, saves.flushes);
    EXPECT_EQ(before, ReadBytes(dir.File("tesmar.dat")));
}

TEST_F(EngineTest, APeerStreamingAsFastAsItCanHoldsUpNoOtherRequestAndMeetsItsDeadline) {
    web.ServeFrom(publisher);
    PublishPage();
    // A head that never ends: refused as too large, then read and dropped.
    SocketId stream =
        sockets.Connect(Pool::Web, "10.0.7.1", "GET / HTTP/1.1\r\nHost: localhost\r\nX-Pad: ");
    engine.AcceptNotice(Pool::Web, 0);
    sockets.sockets[stream].streaming = 100 * 1024 * 1024;
    for (int round = 0; round < 5; ++round) {
        engine.ReadNotice(stream, 10 + round);
        SocketId member = sockets.Connect(Pool::SignIn, "10.0.7.2", kSignIn);
        engine.AcceptNotice(Pool::SignIn, 10 + round);
        ASSERT_TRUE(RunBatch(10 + round));
        EXPECT_EQ("0\n\r", sockets.sockets[member].sent);
        ASSERT_FALSE(sockets.Closed(stream));
        // The rest waits for the next notice.
        ASSERT_GT(sockets.Unread(stream), 0u);
    }
    EXPECT_EQ(0u, sockets.sockets[stream].sent.find("HTTP/1.1 431"));
    engine.ReadNotice(stream, kRequestDeadlineMs - 1);
    engine.Tick(kRequestDeadlineMs);
    EXPECT_TRUE(sockets.Closed(stream));
}

TEST_F(EngineTest, AWatcherThatSendsAndAWebPeerSendingPastItsRequestAreClosed) {
    web.ServeFrom(publisher);
    PublishPage();
    SocketId watcher = sockets.Connect(Pool::Web, "10.0.8.1", kWatch);
    engine.AcceptNotice(Pool::Web, 0);
    ASSERT_EQ(1u, engine.WatcherCount());
    sockets.sockets[watcher].incoming = "x";
    engine.ReadNotice(watcher, 1);
    EXPECT_TRUE(sockets.Closed(watcher));
    EXPECT_EQ(0u, engine.WatcherCount());

    // Anything after a GET's head; more than a sign-in's Content-Length.
    SocketId get = sockets.Connect(Pool::Web, "10.0.8.2",
                                   "GET /board.json HTTP/1.1\r\nHost: localhost\r\n\r\nG");
    SocketId post = sockets.Connect(Pool::Web, "10.0.8.3",
                                    SignPost("{\"name\": \"Ann\", \"in\": true}") + "{}");
    // A body declared by a refused request may still come.
    SocketId refused =
        sockets.Connect(Pool::Web, "10.0.8.4",
                        "POST /nothing HTTP/1.1\r\nHost: localhost\r\nContent-Length: 2\r\n\r\n{}");
    engine.AcceptNotice(Pool::Web, 2);
    EXPECT_TRUE(sockets.Closed(get));
    EXPECT_TRUE(sockets.Closed(post));
    EXPECT_EQ(0u, sockets.sockets[refused].sent.find("HTTP/1.1 405"));
    EXPECT_FALSE(sockets.Closed(refused));
    EXPECT_TRUE(RunBatch(3));
    EXPECT_EQ(0, saves.flushes);
}

} // namespace

TEST_F(EngineTest, WrongWebKeysLockTheirAddressOutAndSaySoOnTheStatusLine) {
    web.ServeFrom(publisher);
    settings.WebSignIn = true;
    CopyCut(settings.WebKeyHash, MakeKeyHash(crypto, "k3y-of-the-office").c_str());
    web.AllowWebSignIn(settings, web_key, {"boardpc"}, clock);
    const std::string body = "{\"name\": \"Bob\", \"in\": true}";
    auto sign = [&](const std::string &peer, const std::string &key, std::uint64_t now) {
        SocketId id =
            sockets.Connect(Pool::Web, peer, SignPost(body, "X-Board-Key: " + key + "\r\n"));
        engine.AcceptNotice(Pool::Web, now);
        RunBatch(now + 1);
        return sockets.sockets[id].sent.substr(0, 12);
    };
    for (int i = 0; i < 4; ++i) EXPECT_EQ("HTTP/1.1 401", sign("10.0.6.1", "guess", 100 + 10 * i));
    EXPECT_STREQ("", status.Text());
    EXPECT_EQ("HTTP/1.1 401", sign("10.0.6.1", "guess", 200));
    EXPECT_STREQ("Web: wrong keys from 10.0.6.1", status.Text());
    EXPECT_EQ("HTTP/1.1 429", sign("10.0.6.1", "k3y-of-the-office", 300));
    EXPECT_EQ("HTTP/1.1 200", sign("10.0.6.2", "k3y-of-the-office", 400));
    EXPECT_EQ(1, saves.flushes);
}

// The engine speaks no protocol of the web pool's own: any exchange's
// bytes are read into it, its replies sent, its lines batched with the
// sign-in port's, and its streams kept as watchers.
TEST_F(EngineTest, AnExchangeOfAnyProtocolIsReadAnsweredBatchedAndStreamed) {
    ScriptedExchangeMaker maker;
    ConnectionEngine own{sockets, status, maker};
    SocketId asks = sockets.Connect(Pool::Web, "10.0.6.1", "hello\n");
    SocketId stream = sockets.Connect(Pool::Web, "10.0.6.2", "stream\n");
    SocketId signs = sockets.Connect(Pool::Web, "10.0.6.3", "batch #oBob-10:00-Bank-11:00\n");
    own.AcceptNotice(Pool::Web, 0);
    EXPECT_EQ(3, maker.opened);
    EXPECT_EQ("reply hello\n", sockets.sockets[asks].sent);
    EXPECT_STREQ("answered hello", status.Text());
    // No publisher followed: no stream is served.
    EXPECT_EQ("no room\n", sockets.sockets[stream].sent);

    PublishResult result;
    EXPECT_TRUE(own.RunBatchWhenDue(1, false, board, publisher, result));
    EXPECT_EQ("batch 0\n\r", sockets.sockets[signs].sent);
    EXPECT_EQ("Ann-1- -08:00- -\r\nBob-0-Bank-10:00-11:00  -\r\n",
              ReadBytes(dir.File("tesmar.dat")));

    maker.following = &publisher;
    SocketId watcher = sockets.Connect(Pool::Web, "10.0.6.4", "stream\n");
    own.AcceptNotice(Pool::Web, 2);
    ASSERT_EQ(1u, own.WatcherCount());
    own.Broadcast("news\n", false);
    ASSERT_FALSE(publisher.PublishPage(board).Failed());
    own.Published(publisher);
    own.Tick(2 + kKeepAliveMs);
    const std::string n = std::to_string(publisher.Number());
    EXPECT_EQ("start " + std::to_string(publisher.Number() - 1) + "\nnews\nevent " + n +
                  "\nalive\n",
              sockets.sockets[watcher].sent);
}
