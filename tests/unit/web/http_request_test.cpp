#include "server/web/http_reply.h"
#include "server/web/http_request.h"

#include <gtest/gtest.h>

#include <cstring>

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
    const std::string head = "POST /sign?x HTTP/1.1\r\nhost:  board:8080 \r\nOrigin: http://board:8080\r\n"
                             "Content-Type: application/json\r\nX-Board-Key: k\r\n"
                             "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
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
    EXPECT_EQ(400, Read("POST /sign HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n", 100).status);
    EXPECT_EQ(400, Read("POST /sign HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 100).status);
    EXPECT_EQ(400, Read("POST /sign HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 100).status);
    EXPECT_EQ(400, Read("POST /sign HTTP/1.1\r\nContent-Length: " + std::string(40, '9') + "\r\n\r\n", 100).status);
    // The lobby view is asked for in the query.
    HttpRequestReader wall;
    const char *get = "GET /?x=2&wall=1 HTTP/1.1\r\n\r\n";
    wall.Feed(get, std::strlen(get));
    EXPECT_TRUE(wall.Wall());
    HttpRequestReader not_wall;
    get = "GET /?wall=10 HTTP/1.1\r\n\r\n";
    not_wall.Feed(get, std::strlen(get));
    EXPECT_FALSE(not_wall.Wall());
}

TEST(HttpRequest, AHeadOver8KiBIsRefused) {
    const std::string start = "GET / HTTP/1.1\r\nCookie: ";
    const std::string end = "\r\n\r\n";
    std::string exact = start + std::string(kMaxHttpHeadBytes - start.size() - end.size(), 'c') + end;
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
    const std::string common = "Cache-Control: no-cache\r\n";
    EXPECT_EQ("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=windows-1252\r\n" + common +
                  "Content-Length: 17\r\nConnection: close\r\n\r\n" + page,
              reply("GET /board.html HTTP/1.0\r\n\r\n"));
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
    EXPECT_NE(std::string::npos, reply("GET / HTTP/1.1\r\n\r\n").find("Content-Type: text/html\r\n"));
}
