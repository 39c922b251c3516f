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
    EXPECT_EQ("retry: 2000\n\n"
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
    EXPECT_EQ(6, published); // 6 events of 10 KB and a bit fit in 64 KB, a seventh does not
    // Once the watcher takes some, there is room again.
    stream.Sent(20 * 1024);
    EXPECT_TRUE(stream.Publish(3, feed));
}
