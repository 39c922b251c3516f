#include "server/engine/stream_queue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Take(StreamQueue &stream) {
    std::string out(stream.Unsent(), stream.UnsentSize());
    stream.Sent(out.size());
    return out;
}

std::string Event(unsigned long number, const std::string &feed) {
    return "event: board\nid: " + std::to_string(number) + "\ndata: " + feed + "\n\n";
}

const std::string kKeepAlive = ": keep-alive\n\n";

} // namespace

TEST(StreamQueue, CommentEveryTwentySecondsAndAWatcherThatDoesNotReadIsGivenUp) {
    StreamQueue stream;
    stream.Start(Event(1, "{}"), 1000);
    Take(stream);
    ASSERT_TRUE(stream.Tick(1000 + kKeepAliveMs - 1, kKeepAlive));
    EXPECT_EQ(0u, stream.UnsentSize());
    ASSERT_TRUE(stream.Tick(1000 + kKeepAliveMs, kKeepAlive));
    EXPECT_EQ(": keep-alive\n\n", Take(stream));

    std::string feed(10 * 1024, 'x');
    int published = 0;
    while (stream.Queue(Event(2, feed))) ++published;
    // One in flight, and behind it 6 events of 10 KB and a bit fit in 64 KB,
    // a seventh does not.
    EXPECT_EQ(7, published);
    // Once the watcher takes some, there is room again.
    stream.Sent(20 * 1024);
    EXPECT_TRUE(stream.Queue(Event(3, feed)));
}

TEST(StreamQueue, OneEventPast64KbGoesOutWholeAndEventsPilingUpBehindItStillGiveUp) {
    // A board of 150 with long fields: some 74 KB of JSON.
    const std::string big(74 * 1024, 'x');
    StreamQueue stream;
    stream.Start("head\r\n\r\n" + Event(1, big), 0);
    std::string first = Take(stream);
    EXPECT_NE(std::string::npos, first.find("data: " + big + "\n\n"));
    ASSERT_TRUE(stream.Queue(Event(2, big)));
    std::string second(stream.Unsent(), stream.UnsentSize());
    EXPECT_EQ("event: board\nid: 2\ndata: " + big + "\n\n", second);

    // The watcher takes a little of the second: the third waits whole behind
    // it; a fourth would pile more than 64 KB behind the one in flight.
    stream.Sent(1000);
    ASSERT_TRUE(stream.Queue(Event(3, big)));
    EXPECT_FALSE(stream.Queue(Event(4, "{}")));
}
