#include "server/web/web_exchange.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kPage = "<HTML>the board</HTML>";
const std::string kFeed = "{}";
const WebContent kContent{kPage.data(), kPage.size(), "windows-1252", kFeed.data(), kFeed.size()};

using Phase = WebExchange::Phase;

} // namespace

TEST(WebExchange, ReplyGoesOutInPiecesThenTheRestOfThePeerIsDrained) {
    WebExchange web;
    web.Received("GET / HTTP/1.1\r\n", 16, kContent);
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
