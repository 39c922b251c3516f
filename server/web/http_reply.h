// The reply to one request on the web port: status line, head and, except
// for HEAD, the body. Every reply closes the connection.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

class HttpRequestReader;

// What the web port serves, as last published, and to whom.
struct WebContent {
    const char *page; // the board page's bytes
    size_t page_size;
    const char *page_charset; // IANA name of the page's code page; null: none given
    const char *feed;         // the board as JSON (UTF-8)
    size_t feed_size;
    // The live board, and its lobby form (in the page's code page). None
    // given: the classic page is served in their place.
    const char *live = nullptr;
    size_t live_size = 0;
    const char *live_wall = nullptr;
    size_t live_wall_size = 0;
    // The names a request must give in its Host (ServerHostNames); none
    // given: "localhost" and "127.0.0.1" alone.
    const std::vector<std::string> *hosts = nullptr;
};

// "OK", "Not Found", ... for the statuses the reader gives ("Error" for
// any other).
const char *HttpReason(int status);

// Appends the whole reply to a finished request to out: for 200 the page
// or the feed, for an error a one-line plain-text body naming it; HEAD gets
// the same head without the body. Every reply says nosniff; a page also
// that it may not be framed, runs only its own script and style (by their
// hashes) and sends no referrer.
void AppendHttpReply(std::string &out, const HttpRequestReader &request, const WebContent &content);

// Appends an error reply: a one-line plain-text body naming the status
// (none for HEAD).
void AppendHttpErrorReply(std::string &out, int status, bool head_only,
                          const char *allow = "GET, HEAD");

// Appends a reply of the status with a JSON body (UTF-8), which closes
// the connection: the answer to a sign-in from a browser. extra: header
// lines (each ending in CRLF) to send besides.
void AppendHttpJsonReply(std::string &out, int status, const std::string &json,
                         const std::string &extra = std::string());

// Appends a 200 reply of the content type with body (only the head for
// head_only), which closes the connection. extra: header lines (each
// ending in CRLF) to send besides.
void AppendHttpBodyReply(std::string &out, const std::string &content_type, const std::string &body,
                         bool head_only, const std::string &extra = std::string());
