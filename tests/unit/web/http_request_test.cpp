#include "server/web/http_reply.h"
#include "server/web/http_request.h"

#include "common/clock.h"
#include "common/sha256.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/live_page.h"
#include "tests/kit/board_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <string>

namespace {

struct Answer {
    bool done;
    int status;
    HttpResource resource;
    bool head_only;
};

bool operator==(const Answer &a, const Answer &b) {
    return a.done == b.done && a.status == b.status && a.resource == b.resource &&
           a.head_only == b.head_only;
}

std::ostream &operator<<(std::ostream &out, const Answer &a) {
    return out << "{done " << a.done << ", " << a.status << ", resource "
               << static_cast<int>(a.resource) << ", head " << a.head_only << "}";
}

Answer Read(const std::string &bytes, size_t piece) {
    HttpRequestReader reader;
    for (size_t at = 0; at < bytes.size() && !reader.Done(); at += piece)
        reader.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    return {reader.Done(), reader.Status(), reader.Resource(), reader.HeadOnly()};
}

const Answer kPage{true, 200, HttpResource::Live, false};

} // namespace

TEST(HttpRequest, RequestLinesAndTheirAnswers) {
    const HttpResource none = HttpResource::None;
    struct Case {
        std::string line;
        Answer answer;
    } cases[] = {
        {"GET / HTTP/1.1", kPage},
        {"GET /index.html HTTP/1.0", kPage},
        {"GET /?refresh=1 HTTP/1.1", kPage},
        {"GET /board.html HTTP/1.1", {true, 200, HttpResource::Page, false}},
        {"GET /events HTTP/1.1", {true, 200, HttpResource::Events, false}},
        {"HEAD /events HTTP/1.1", {true, 405, none, false}},
        {"GET /sign HTTP/1.1", {true, 405, none, false}},
        {"POST /sign HTTP/1.1", {true, 411, none, false}},
        {"GET http://board:8080/board.json HTTP/1.1", {true, 200, HttpResource::Feed, false}},
        {"HEAD /board.json HTTP/1.0", {true, 200, HttpResource::Feed, true}},
        {"HEAD /nothing HTTP/1.1", {true, 404, none, true}},
        {"GET /Index.html HTTP/1.1", {true, 404, none, false}},
        {"GET /board.json/ HTTP/1.1", {true, 404, none, false}},
        {"POST / HTTP/1.1", {true, 405, none, false}},
        {"get / HTTP/1.1", {true, 405, none, false}},
        {"DELETE /nothing HTTP/1.1", {true, 405, none, false}},
        {"GET /admin HTTP/1.1", {true, 200, HttpResource::Admin, false}},
        {"HEAD /admin/status HTTP/1.1", {true, 200, HttpResource::Admin, true}},
        {"PUT /admin/members HTTP/1.1", {true, 405, none, false}},
        {"POST /admin/members HTTP/1.1", {true, 411, none, false}},
        {"GET /administrator HTTP/1.1", {true, 404, none, false}},
        {"GET / HTTP/2.0", {true, 400, none, false}},
        {"GET / http/1.1", {true, 400, none, false}},
        {"GET /", {true, 400, none, false}},
        {"GET  / HTTP/1.1", {true, 400, none, false}},
        {"GET / HTTP/1.1 ", {true, 400, none, false}},
        {"GET index.html HTTP/1.1", {true, 400, none, false}},
        {"G(T / HTTP/1.1", {true, 400, none, false}},
        {"#oAnn-12:00-Lunch-13:00", {true, 400, none, false}},
        {std::string("GET /\0 HTTP/1.1", 15), {true, 400, none, false}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.answer, Read(c.line + "\r\nHost: x\r\n\r\n", 4096)) << c.line;
    }
}

TEST(HttpRequest, TheAnswerWaitsForTheBlankLineInAnyPieces) {
    const std::string head = "GET /board.json HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Odd: \r\r\n\r\n";
    for (size_t piece = 1; piece <= head.size(); ++piece) {
        EXPECT_EQ((Answer{true, 200, HttpResource::Feed, false}), Read(head, piece)) << piece;
        EXPECT_FALSE(Read(head.substr(0, head.size() - 1), piece).done) << piece;
    }
    // Bare LF line ends and empty lines before the request line.
    EXPECT_EQ(kPage, Read("\r\n\nGET / HTTP/1.0\nAccept: */*\n\n", 3));
    // An unreadable request line is answered without waiting for more.
    EXPECT_EQ((Answer{true, 400, HttpResource::None, false}), Read("garbage\r\n", 1));

    HttpRequestReader closed;
    EXPECT_FALSE(closed.Feed("GET / HTTP/1.1\r\n", 16));
    closed.Finish();
    EXPECT_TRUE(closed.Done());
    EXPECT_EQ(400, closed.Status());
    EXPECT_EQ(HttpResource::None, closed.Resource());
}

TEST(HttpRequest, ASignInsHeadersAndBodyInAnyPieces) {
    const std::string body = "{\"name\": \"Ann\", \"in\": true}";
    const std::string head =
        "POST /sign?x HTTP/1.1\r\nhost:  board:8080 \r\nOrigin: http://board:8080\r\n"
        "Content-Type: application/json\r\nX-Board-Key: k\r\n"
        "Content-Length: " +
        std::to_string(body.size()) + "\r\n\r\n";
    for (size_t piece : {size_t(1), size_t(7), head.size() + body.size()}) {
        HttpRequestReader reader;
        std::string bytes = head + body + "trailing";
        size_t at = 0;
        for (; at < bytes.size() && !reader.Done(); at += piece)
            reader.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
        ASSERT_TRUE(reader.Done());
        EXPECT_EQ(200, reader.Status());
        EXPECT_EQ(HttpResource::Sign, reader.Resource());
        EXPECT_EQ(body, reader.Body()) << piece;
        EXPECT_EQ("board:8080", reader.Headers().host);
        EXPECT_EQ("http://board:8080", reader.Headers().origin);
        EXPECT_EQ("k", reader.Headers().key);
    }
    // The body cut short by a close is unreadable; too long or chunked is
    // refused at the head.
    HttpRequestReader cut;
    std::string partial = head + body.substr(0, 5);
    EXPECT_FALSE(cut.Feed(partial.data(), partial.size()));
    cut.Finish();
    EXPECT_EQ(400, cut.Status());
    EXPECT_EQ(400, Read("POST /sign HTTP/1.1\r\nContent-Length: 4097\r\n\r\n", 100).status);
    // The administration's header and footer at once may take more.
    const std::string big(kMaxAdminBodyBytes, ' ');
    EXPECT_EQ((Answer{true, 200, HttpResource::Admin, false}),
              Read("POST /admin/settings HTTP/1.1\r\nContent-Length: 16384\r\n\r\n" + big, 4096));
    EXPECT_EQ(400,
              Read("POST /admin/settings HTTP/1.1\r\nContent-Length: 16385\r\n\r\n", 100).status);
    EXPECT_EQ(
        400,
        Read("POST /sign HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n", 100).status);
    EXPECT_EQ(400, Read("POST /sign HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 100).status);
    EXPECT_EQ(400, Read("POST /sign HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 100).status);
    EXPECT_EQ(
        400,
        Read("POST /sign HTTP/1.1\r\nContent-Length: " + std::string(40, '9') + "\r\n\r\n", 100)
            .status);
    // The lobby view is asked for in the query.
    HttpRequestReader wall;
    const char *get = "GET /?x=2&wall=1 HTTP/1.1\r\n\r\n";
    wall.Feed(get, std::strlen(get));
    EXPECT_TRUE(wall.Wall());
    EXPECT_EQ("GET", wall.Method());
    EXPECT_EQ("/", wall.Path());
    EXPECT_EQ("x=2&wall=1", wall.Query());
    HttpRequestReader not_wall;
    get = "GET /?wall=10 HTTP/1.1\r\n\r\n";
    not_wall.Feed(get, std::strlen(get));
    EXPECT_FALSE(not_wall.Wall());
}

TEST(HttpRequest, AHeadOver8KiBIsRefused) {
    const std::string start = "GET / HTTP/1.1\r\nCookie: ";
    const std::string end = "\r\n\r\n";
    std::string exact =
        start + std::string(kMaxHttpHeadBytes - start.size() - end.size(), 'c') + end;
    ASSERT_EQ(kMaxHttpHeadBytes, exact.size());
    EXPECT_EQ(kPage, Read(exact, 1000));

    const Answer refused{true, 431, HttpResource::None, false};
    std::string over = start + "c" + exact.substr(start.size());
    EXPECT_EQ(refused, Read(over, 1000));
    EXPECT_EQ(refused, Read(std::string(kMaxHttpHeadBytes + 1, 'G'), kMaxHttpHeadBytes + 1));
    HttpRequestReader reader;
    reader.Feed(over.data(), over.size());
    EXPECT_EQ(kMaxHttpHeadBytes, reader.Total());
}

TEST(HttpReply, HeadsBodiesAndHead) {
    const std::string page = "<HTML>caf\xe9</HTML>";
    const std::string feed = "{\"made\": \"x\", \"members\": []}\n";
    WebContent content{page.data(), page.size(), "windows-1252", feed.data(), feed.size()};
    auto reply = [&](const char *head) {
        HttpRequestReader reader;
        reader.Feed(head, std::string(head).size());
        std::string out;
        AppendHttpReply(out, reader, content);
        return out;
    };
    const std::string common = "Cache-Control: no-cache\r\nX-Content-Type-Options: nosniff\r\n";
    std::string classic = reply("GET /board.html HTTP/1.0\r\n\r\n");
    EXPECT_EQ(0u,
              classic.find("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=windows-1252\r\n" +
                           common + "X-Frame-Options: DENY\r\n"));
    EXPECT_NE(std::string::npos,
              classic.find("\r\nContent-Security-Policy: frame-ancestors 'none'; "
                           "default-src 'self'; "));
    const std::string tail = "\r\nReferrer-Policy: no-referrer\r\nContent-Length: 17\r\n"
                             "Connection: close\r\n\r\n" +
                             page;
    EXPECT_EQ(classic.size() - tail.size(), classic.find(tail));
    // Without a live board made, "/" serves the classic page; with one,
    // the live board or its lobby view.
    EXPECT_EQ(reply("GET /board.html HTTP/1.0\r\n\r\n"), reply("GET / HTTP/1.0\r\n\r\n"));
    const std::string live = "<!DOCTYPE html>live", wall = "<!DOCTYPE html>wall";
    content.live = live.data();
    content.live_size = live.size();
    content.live_wall = wall.data();
    content.live_wall_size = wall.size();
    std::string got = reply("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(got.size() - live.size(), got.find(live));
    got = reply("GET /?wall=1 HTTP/1.1\r\n\r\n");
    EXPECT_EQ(got.size() - wall.size(), got.find(wall));
    EXPECT_NE(std::string::npos, reply("GET /sign HTTP/1.1\r\n\r\n").find("\r\nAllow: POST\r\n"));
    EXPECT_EQ("HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\n" + common +
                  "Content-Length: " + std::to_string(feed.size()) +
                  "\r\nConnection: close\r\n\r\n",
              reply("HEAD /board.json HTTP/1.1\r\n\r\n"));
    EXPECT_EQ("HTTP/1.1 405 Method Not Allowed\r\nContent-Type: text/plain; charset=us-ascii\r\n" +
                  common + "Content-Length: 24\r\nAllow: GET, HEAD\r\nConnection: close\r\n\r\n" +
                  "405 Method Not Allowed\r\n",
              reply("PUT / HTTP/1.1\r\n\r\n"));

    content.page_charset = nullptr;
    EXPECT_NE(std::string::npos,
              reply("GET / HTTP/1.1\r\n\r\n").find("Content-Type: text/html\r\n"));
}

namespace {

// The values of the 'sha256-…' sources of one directive of the policy.
std::vector<std::string> AllowedHashes(const std::string &policy, const std::string &directive) {
    std::vector<std::string> hashes;
    size_t at = policy.find(directive + " ");
    if (at == std::string::npos) return hashes;
    size_t end = policy.find(';', at);
    std::string sources = policy.substr(at, end == std::string::npos ? end : end - at);
    for (size_t q = sources.find("'sha256-"); q != std::string::npos;
         q = sources.find("'sha256-", q + 1))
        hashes.push_back(sources.substr(q + 8, sources.find('\'', q + 8) - q - 8));
    return hashes;
}

// Every inline element of the tag in the page has its hash allowed.
void ExpectInlineAllowed(const std::string &page, const std::string &tag,
                         const std::vector<std::string> &allowed) {
    size_t found = 0;
    for (size_t at = page.find("<" + tag + ">"); at != std::string::npos;
         at = page.find("<" + tag + ">", at + 1), ++found) {
        size_t start = at + tag.size() + 2;
        std::string text = page.substr(start, page.find("</" + tag + ">", start) - start);
        EXPECT_NE(allowed.end(), std::find(allowed.begin(), allowed.end(), Base64(Sha256Of(text))))
            << tag << " #" << found;
    }
    EXPECT_GT(found, 0u) << tag;
}

} // namespace

TEST(HttpReply, TheLiveBoardRunsItsOwnScriptAndStyleAndNothingElseInline) {
    UserTable table;
    ClearTable(table);
    Put(table, 0, "Ann", 0, "Bank", "9:00am", "2:30pm");
    table.count = 1;
    ServerSettings settings;
    std::memset(&settings, 0, sizeof settings);
    settings.WebSignIn = true;
    for (bool wall : {false, true}) {
        std::string live;
        LiveView view;
        view.wall = wall;
        AppendLivePage(live, table, settings, ClockTime{15, 0, 0}, view);
        const std::string none;
        WebContent content{none.data(), 0,           "windows-1252", none.data(), 0,
                           live.data(), live.size(), live.data(),    live.size()};
        HttpRequestReader reader;
        const std::string get = "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n";
        reader.Feed(get.data(), get.size());
        std::string reply;
        AppendHttpReply(reply, reader, content);
        size_t at = reply.find("\r\nContent-Security-Policy: ");
        ASSERT_NE(std::string::npos, at);
        std::string policy = reply.substr(at + 27, reply.find("\r\n", at + 2) - at - 27);
        EXPECT_EQ(0u, policy.find("frame-ancestors 'none'; default-src 'self'"));
        EXPECT_EQ(std::string::npos, policy.find("unsafe"));
        std::string page = reply.substr(reply.find("\r\n\r\n") + 4);
        ExpectInlineAllowed(page, "script", AllowedHashes(policy, "script-src"));
        ExpectInlineAllowed(page, "style", AllowedHashes(policy, "style-src"));
        // An inline handler or style attribute would be refused by the
        // browser: the mark-up (the script and style taken out) has none.
        std::string markup = page;
        for (std::string tag : {"script>", "style>"}) {
            for (size_t open = markup.find("<" + tag); open != std::string::npos;
                 open = markup.find("<" + tag, open + 1)) {
                size_t start = open + 1 + tag.size(), close = markup.find("</" + tag, start);
                if (close != std::string::npos) markup.erase(start, close - start);
            }
        }
        std::regex attribute("<[^>]*\\s(on[a-z]+|style)\\s*=", std::regex::icase);
        EXPECT_FALSE(std::regex_search(markup, attribute)) << wall;
    }
}

TEST(HttpReply, APageWithAPolicyOfItsOwnSendsThatOneAlone) {
    std::string out;
    AppendHttpBodyReply(out, "text/html; charset=utf-8", "<p>x</p>", false,
                        "Content-Security-Policy: default-src 'none'\r\nX-Frame-Options: DENY\r\n");
    size_t first = out.find("Content-Security-Policy:");
    ASSERT_NE(std::string::npos, first);
    EXPECT_EQ(std::string::npos, out.find("Content-Security-Policy:", first + 1)) << out;
    EXPECT_NE(std::string::npos, out.find("\r\nX-Content-Type-Options: nosniff\r\n"));
}
