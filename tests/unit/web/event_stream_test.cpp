#include "server/web/event_stream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Take(EventStream &stream) {
    std::string out(stream.Unsent(), stream.UnsentSize());
    stream.Sent(out.size());
    return out;
}

} // namespace

TEST(EventStream, HeadThenTheBoardAtOnceThenOneEventAPublicationOnOneDataLine) {
    EventStream stream;
    stream.Start(7, "{\"made\": \"x\", \"members\": [\n{\"name\": \"A\\nB\"}\n]}\n", 1000);
    std::string first = Take(stream);
    EXPECT_EQ(0u, first.find("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream"));
    std::string head_end = "\r\n\r\n";
    std::string events = first.substr(first.find(head_end) + head_end.size());
    EXPECT_EQ(
        "retry: 2000\n\n"
        "event: board\nid: 7\ndata: {\"made\": \"x\", \"members\": [{\"name\": \"A\\nB\"}]}\n\n",
        events);
    ASSERT_TRUE(stream.Publish(8, "{\"members\": []}\n"));
    EXPECT_EQ("event: board\nid: 8\ndata: {\"members\": []}\n\n", Take(stream));
}

TEST(EventStream, CommentEveryTwentySecondsAndAWatcherThatDoesNotReadIsGivenUp) {
    EventStream stream;
    stream.Start(1, "{}", 1000);
    Take(stream);
    ASSERT_TRUE(stream.Tick(1000 + kKeepAliveMs - 1));
    EXPECT_EQ(0u, stream.UnsentSize());
    ASSERT_TRUE(stream.Tick(1000 + kKeepAliveMs));
    EXPECT_EQ(": keep-alive\n\n", Take(stream));

    std::string feed(10 * 1024, 'x');
    int published = 0;
    while (stream.Publish(2, feed)) ++published;
    // One in flight, and behind it 6 events of 10 KB and a bit fit in 64 KB,
    // a seventh does not.
    EXPECT_EQ(7, published);
    // Once the watcher takes some, there is room again.
    stream.Sent(20 * 1024);
    EXPECT_TRUE(stream.Publish(3, feed));
}

TEST(EventStream, OneEventPast64KbGoesOutWholeAndEventsPilingUpBehindItStillGiveUp) {
    // A board of 150 with long fields: some 74 KB of JSON.
    const std::string big(74 * 1024, 'x');
    EventStream stream;
    stream.Start(1, big, 0);
    std::string first = Take(stream);
    EXPECT_NE(std::string::npos, first.find("data: " + big + "\n\n"));
    ASSERT_TRUE(stream.Publish(2, big));
    std::string second(stream.Unsent(), stream.UnsentSize());
    EXPECT_EQ("event: board\nid: 2\ndata: " + big + "\n\n", second);

    // The watcher takes a little of the second: the third waits whole behind
    // it; a fourth would pile more than 64 KB behind the one in flight.
    stream.Sent(1000);
    ASSERT_TRUE(stream.Publish(3, big));
    EXPECT_FALSE(stream.Publish(4, "{}"));
}
