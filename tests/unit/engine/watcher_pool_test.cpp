#include "server/engine/watcher_pool.h"

#include "server/board/user_table.h"
#include "server/publish/publisher.h"
#include "server/web/web_port.h"
#include "tests/kit/board_test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Sockets that take everything, except those told to take nothing.
struct Sockets {
    long Send(WatcherPool::Id id, const char *bytes, size_t size) {
        if (failing == id) return -1;
        if (stuck.count(id)) return 0;
        got[id].append(bytes, size);
        return static_cast<long>(size);
    }
    std::map<WatcherPool::Id, std::string> got;
    std::map<WatcherPool::Id, bool> stuck;
    WatcherPool::Id failing = 0;
};

size_t Events(const std::string &bytes) {
    size_t n = 0;
    for (size_t at = bytes.find("event: board\n"); at != std::string::npos;
         at = bytes.find("event: board\n", at + 1))
        ++n;
    return n;
}

} // namespace

TEST(WatcherPool, EveryWatcherGetsEachPublicationAndOneThatNeverReadsIsGivenUp) {
    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir, dir.File("board.htm"));
    UserTable table;
    ClearTable(table);
    for (int i = 0; i < 150; ++i)
        Put(table, i, ("member" + std::to_string(i)).c_str(), 1, " ", "9:00am", " ");
    table.count = 150;
    RecordingAlerts alerts;
    FixedClock clock;
    BoardContext board{table, settings, alerts, clock};
    PlatformFiles files;
    Publisher publisher{files.reader, files.writer};
    ASSERT_FALSE(publisher.PublishPage(board).Failed());

    // The web port's bytes, as the engine queues them.
    WebPort port;
    WatcherPool pool;
    Sockets sockets;
    auto send = [&](WatcherPool::Id id, const char *b, size_t n) { return sockets.Send(id, b, n); };
    for (WatcherPool::Id id = 1; id <= kMaxWatchers; ++id)
        ASSERT_TRUE(pool.Add(id, port.StreamStart(publisher), 0));
    EXPECT_FALSE(pool.Add(999, port.StreamStart(publisher), 0)); // full
    sockets.stuck[7] = true;
    EXPECT_TRUE(pool.SendAll(send).empty());
    EXPECT_EQ(1u, Events(sockets.got[1]));
    EXPECT_EQ(0u, sockets.got.count(7));

    // A feed of 150 members is some 15 KB: the stuck one passes 64 KB
    // within a few publications and is closed; the rest have them all.
    std::vector<WatcherPool::Id> dropped;
    int publications = 0;
    while (dropped.empty() && publications < 20) {
        ASSERT_FALSE(publisher.PublishPage(board).Failed());
        ++publications;
        dropped = pool.Broadcast(port.StreamEvent(publisher));
        EXPECT_TRUE(pool.SendAll(send).empty());
    }
    EXPECT_EQ(std::vector<WatcherPool::Id>{7}, dropped);
    EXPECT_LT(publications, 10);
    EXPECT_EQ(kMaxWatchers - 1, pool.Count());
    EXPECT_EQ(1u + publications, Events(sockets.got[1]));
    EXPECT_EQ(1u + publications, Events(sockets.got[kMaxWatchers]));
    // The id numbers the publication.
    EXPECT_NE(std::string::npos,
              sockets.got[1].find("\nid: " + std::to_string(publisher.Number()) + "\n"));

    // A socket that fails leaves the pool; keep-alives go to the others.
    sockets.failing = 3;
    EXPECT_TRUE(pool.Tick(kKeepAliveMs, port.KeepAlive()).empty());
    EXPECT_EQ(std::vector<WatcherPool::Id>{3}, pool.SendAll(send));
    EXPECT_FALSE(pool.Has(3));
    EXPECT_NE(std::string::npos, sockets.got[1].find(": keep-alive\n\n"));
}
