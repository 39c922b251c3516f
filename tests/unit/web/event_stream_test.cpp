#include "server/web/event_stream.h"

#include <gtest/gtest.h>

#include <string>

TEST(EventStream, HeadThenTheBoardAtOnceThenOneEventAPublicationOnOneDataLine) {
    std::string first;
    AppendEventStreamStart(first, 7,
                           "{\"made\": \"x\", \"members\": [\n{\"name\": \"A\\nB\"}\n]}\n");
    EXPECT_EQ(0u, first.find("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream"));
    std::string head_end = "\r\n\r\n";
    std::string events = first.substr(first.find(head_end) + head_end.size());
    EXPECT_EQ(
        "retry: 2000\n\n"
        "event: board\nid: 7\ndata: {\"made\": \"x\", \"members\": [{\"name\": \"A\\nB\"}]}\n\n",
        events);
    std::string next;
    AppendBoardEvent(next, 8, "{\"members\": []}\n");
    EXPECT_EQ("event: board\nid: 8\ndata: {\"members\": []}\n\n", next);
}
