// The reply to one request on the web port: status line, head and, except
// for HEAD, the body. Every reply closes the connection.
#pragma once
#include <cstddef>
#include <string>

class HttpRequestReader;

// What the web port serves, as last published.
struct WebContent {
    const char *page;         // the board page's bytes
    size_t page_size;
    const char *page_charset; // IANA name of the page's code page; null: none given
    const char *feed;         // the board as JSON (UTF-8)
    size_t feed_size;
};

// "OK", "Not Found", ... for the statuses the reader gives ("Error" for
// any other).
const char *HttpReason(int status);

// Appends the whole reply to a finished request to out: for 200 the page
// or the feed, for an error a one-line plain-text body naming it; HEAD gets
// the same head without the body.
void AppendHttpReply(std::string &out, const HttpRequestReader &request,
                     const WebContent &content);
