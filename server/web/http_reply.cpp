#include "server/web/http_reply.h"

#include "common/sha256.h"
#include "server/page/live_page.h"
#include "server/web/http_request.h"

#include <cstdio>

namespace {

// The page's own inline script and style, allowed by their hashes; nothing
// else runs or applies inline, nothing comes from another site, and no
// other site may frame the page.
std::string PagePolicy() {
    return "Content-Security-Policy: frame-ancestors 'none'; default-src 'self'; "
           "script-src 'self' 'sha256-" +
           Base64(Sha256Of(LivePageScript())) +
           "'; "
           "style-src 'self' 'sha256-" +
           Base64(Sha256Of(LivePageStyles())) + "'\r\n";
}

void AppendHead(std::string &out, int status, const std::string &content_type, size_t length,
                const char *allow = "GET, HEAD", const std::string &extra = std::string()) {
    char line[128];
    std::snprintf(line, sizeof line, "HTTP/1.1 %d %s\r\n", status, HttpReason(status));
    out += line;
    out += "Content-Type: " + content_type + "\r\n";
    out += "Cache-Control: no-cache\r\n";
    out += "X-Content-Type-Options: nosniff\r\n";
    // A page that brings its own policy (extra) sends that one alone: a
    // second would be enforced as well and refuse its script.
    if (content_type.compare(0, 9, "text/html") == 0 &&
        extra.find("Content-Security-Policy:") == std::string::npos) {
        static const std::string policy = PagePolicy();
        out += "X-Frame-Options: DENY\r\n";
        out += policy;
        out += "Referrer-Policy: no-referrer\r\n";
    }
    std::snprintf(line, sizeof line, "Content-Length: %zu\r\n", length);
    out += line;
    if (status == 405) out += std::string("Allow: ") + allow + "\r\n";
    out += extra;
    out += "Connection: close\r\n\r\n";
}

} // namespace

const char *HttpReason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 411:
        return "Length Required";
    case 415:
        return "Unsupported Media Type";
    case 421:
        return "Misdirected Request";
    case 429:
        return "Too Many Requests";
    case 503:
        return "Service Unavailable";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Error";
    }
}

void AppendHttpReply(std::string &out, const HttpRequestReader &request,
                     const WebContent &content) {
    std::string type;
    const char *body = nullptr;
    size_t length = 0;
    int status = request.Status();
    HttpResource resource = request.Resource();
    if (resource == HttpResource::Live && content.live) {
        type = "text/html";
        if (content.page_charset) type += std::string("; charset=") + content.page_charset;
        bool wall = request.Wall() && content.live_wall;
        body = wall ? content.live_wall : content.live;
        length = wall ? content.live_wall_size : content.live_size;
    } else if (status == 200 &&
               (resource == HttpResource::Page || resource == HttpResource::Live)) {
        type = "text/html";
        if (content.page_charset) type += std::string("; charset=") + content.page_charset;
        body = content.page;
        length = content.page_size;
    } else if (status == 200 && request.Resource() == HttpResource::Feed) {
        type = "application/json; charset=utf-8";
        body = content.feed;
        length = content.feed_size;
    } else {
        AppendHttpErrorReply(out, status, request.HeadOnly(), request.Allow());
        return;
    }
    AppendHead(out, status, type, length, request.Allow());
    if (!request.HeadOnly() && length > 0) out.append(body, length);
}

void AppendHttpErrorReply(std::string &out, int status, bool head_only, const char *allow) {
    std::string body = std::to_string(status) + " " + HttpReason(status) + "\r\n";
    AppendHead(out, status, "text/plain; charset=us-ascii", body.size(), allow);
    if (!head_only) out += body;
}

void AppendHttpJsonReply(std::string &out, int status, const std::string &json,
                         const std::string &extra) {
    AppendHead(out, status, "application/json; charset=utf-8", json.size(), "GET, HEAD", extra);
    out += json;
}

void AppendHttpBodyReply(std::string &out, const std::string &content_type, const std::string &body,
                         bool head_only, const std::string &extra) {
    AppendHead(out, 200, content_type, body.size(), "GET, HEAD", extra);
    if (!head_only) out += body;
}
