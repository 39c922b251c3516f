#include "server/web/web_exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/web/web_guard.h"

namespace {

const std::string kPage = "<HTML>the board</HTML>";
const std::string kFeed = "{}";
const WebContent kContent{kPage.data(), kPage.size(), "windows-1252", kFeed.data(), kFeed.size()};

using Phase = WebExchange::Phase;

} // namespace

TEST(WebExchange, ReplyGoesOutInPiecesThenTheRestOfThePeerIsDrained) {
    WebExchange web;
    web.Received("GET / HTTP/1.1\r\nHost: localhost\r\n", 33, kContent);
    EXPECT_EQ(Phase::Reading, web.phase());
    EXPECT_EQ(0u, web.UnsentSize());
    web.Received("\r\nPOST /x", 9, kContent);
    ASSERT_EQ(Phase::Sending, web.phase());
    std::string reply(web.Unsent(), web.UnsentSize());
    EXPECT_EQ(0u, reply.find("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(reply.size() - kPage.size(), reply.find(kPage));

    std::string out;
    while (web.phase() == Phase::Sending) {
        size_t n = std::min<size_t>(7, web.UnsentSize());
        out.append(web.Unsent(), n);
        web.Sent(n);
        web.Received("more", 4, kContent); // dropped
    }
    EXPECT_EQ(reply, out);
    EXPECT_EQ(Phase::Draining, web.phase());
    web.PeerClosed(kContent);
    EXPECT_EQ(Phase::Done, web.phase());
}

TEST(WebExchange, PeerClosingEarly) {
    WebExchange silent;
    silent.PeerClosed(kContent);
    EXPECT_EQ(Phase::Done, silent.phase());
    EXPECT_EQ(0u, silent.UnsentSize());

    // A head cut short still gets its answer, and nothing is drained after.
    WebExchange cut;
    cut.Received("GET / HT", 8, kContent);
    cut.PeerClosed(kContent);
    ASSERT_EQ(Phase::Sending, cut.phase());
    EXPECT_EQ(0u, std::string(cut.Unsent(), cut.UnsentSize()).find("HTTP/1.1 400 Bad Request\r\n"));
    cut.Sent(cut.UnsentSize());
    EXPECT_EQ(Phase::Done, cut.phase());
}

TEST(WebExchange, EveryRequestMustNameThisServerInItsHost) {
    const std::vector<std::string> hosts = ServerHostNames({"boardpc"}, "board.example.org");
    WebContent content = kContent;
    content.hosts = &hosts;
    auto reply = [&](const std::string &request) {
        WebExchange web;
        web.Received(request.data(), request.size(), content);
        if (web.phase() == Phase::Handover) return std::string("handover");
        return std::string(web.Unsent(), web.UnsentSize());
    };
    const std::string sign = "POST /sign HTTP/1.1\r\nContent-Type: application/json\r\n"
                             "Content-Length: 2\r\n";
    for (const std::string host :
         {"Host: attacker.example\r\n", "Host: boardpc.attacker.example\r\n", "", "Host: \r\n"}) {
        for (const std::string start :
             {"GET / HTTP/1.1\r\n", "GET /board.html HTTP/1.1\r\n", "GET /board.json HTTP/1.1\r\n",
              "GET /events HTTP/1.1\r\n", "GET /nothing HTTP/1.1\r\n"}) {
            std::string got = reply(start + host + "\r\n");
            EXPECT_EQ(0u, got.find("HTTP/1.1 421 Misdirected Request\r\n")) << start << host;
            EXPECT_EQ(std::string::npos, got.find(kPage)) << start << host;
        }
        EXPECT_EQ(0u, reply(sign + host + "\r\n{}").find("HTTP/1.1 421 ")) << host;
        std::string head = reply("HEAD /board.json HTTP/1.1\r\n" + host + "\r\n");
        EXPECT_EQ(head.size(), head.find("\r\n\r\n") + 4) << host; // no body
    }
    EXPECT_EQ(0u,
              reply("GET / HTTP/1.1\r\nHost: BoardPC:8080\r\n\r\n").find("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(
        0u,
        reply("GET /board.json HTTP/1.1\r\nHost: board.example.org\r\n\r\n").find("HTTP/1.1 200 "));
    EXPECT_EQ("handover", reply("GET /events HTTP/1.1\r\nHost: localhost\r\n\r\n"));
    EXPECT_EQ("handover", reply(sign + "Host: boardpc\r\n\r\n{}"));
    // What cannot be read at all is still answered as such.
    EXPECT_EQ(0u, reply("GET / HTTP/9\r\n\r\n").find("HTTP/1.1 400 "));
}
