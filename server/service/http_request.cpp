#include "server/service/http_request.h"

#include "common/ascii_case.h"

#include <cstring>

namespace {

// A character of a method name (a token).
bool IsTokenChar(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return c != '\0' && std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

// A character of a request target: anything visible.
bool IsTargetChar(unsigned char c) { return c > 0x20 && c != 0x7f; }

bool StartsWith(const char *text, size_t length, const char *prefix, bool fold_case) {
    size_t n = std::strlen(prefix);
    if (length < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = fold_case ? FoldAscii(text[i]) : text[i];
        if (c != prefix[i]) return false;
    }
    return true;
}

bool Is(const char *text, size_t length, const char *word) {
    return length == std::strlen(word) && std::memcmp(text, word, length) == 0;
}

// The resource a target names: its path (an absolute URL's path after the
// host), without the query. None when it names nothing served here;
// readable is cleared when it is no path at all.
HttpResource ResourceOf(const char *target, size_t length, bool &readable) {
    readable = true;
    if (StartsWith(target, length, "http://", true)) {
        const char *slash = static_cast<const char *>(std::memchr(target + 7, '/', length - 7));
        if (!slash) return HttpResource::Page; // "http://host" asks for "/"
        length -= static_cast<size_t>(slash - target);
        target = slash;
    }
    if (length == 0 || target[0] != '/') {
        readable = false;
        return HttpResource::None;
    }
    const char *query = static_cast<const char *>(std::memchr(target, '?', length));
    if (query) length = static_cast<size_t>(query - target);
    if (Is(target, length, "/") || Is(target, length, "/index.html")) return HttpResource::Page;
    if (Is(target, length, "/board.json")) return HttpResource::Feed;
    return HttpResource::None;
}

} // namespace

void HttpRequestReader::Reset() {
    line_[0] = '\0';
    line_length_ = 0;
    total_ = 0;
    in_headers_ = false;
    header_length_ = 0;
    last_cr_ = false;
    done_ = false;
    status_ = 0;
    head_only_ = false;
    resource_ = HttpResource::None;
}

bool HttpRequestReader::Feed(const char *bytes, size_t size) {
    for (size_t i = 0; i < size && !done_; ++i) {
        if (total_ == kMaxHttpHeadBytes) {
            status_ = 431;
            resource_ = HttpResource::None;
            done_ = true;
            break;
        }
        ++total_;
        char c = bytes[i];
        if (!in_headers_) {
            if (c == '\n') {
                // Empty lines before the request line are passed over.
                if (line_length_ > 0 && line_[line_length_ - 1] == '\r') --line_length_;
                if (line_length_ > 0) EndRequestLine();
                line_length_ = 0;
            } else {
                line_[line_length_++] = c;
            }
        } else if (c == '\n') {
            // The blank line (nothing, or a lone CR, before its LF) ends
            // the head.
            if (header_length_ == 0 || (header_length_ == 1 && last_cr_)) done_ = true;
            header_length_ = 0;
        } else {
            ++header_length_;
            last_cr_ = c == '\r';
        }
    }
    return done_;
}

void HttpRequestReader::Finish() {
    if (done_) return;
    status_ = 400;
    resource_ = HttpResource::None;
    head_only_ = false;
    done_ = true;
}

// The request line "METHOD SP target SP HTTP/1.x" is in line_ (its line
// end removed). An unreadable line ends the request at once with 400; a
// readable one gives the answer, which is sent once the head has ended.
void HttpRequestReader::EndRequestLine() {
    in_headers_ = true;
    header_length_ = 0;
    const char *text = line_;
    size_t length = line_length_;
    status_ = 400;
    resource_ = HttpResource::None;

    size_t method = 0;
    while (method < length && IsTokenChar(static_cast<unsigned char>(text[method]))) ++method;
    size_t target_at = method + 1;
    size_t target = 0;
    while (target_at + target < length &&
           IsTargetChar(static_cast<unsigned char>(text[target_at + target])))
        ++target;
    size_t version_at = target_at + target + 1;
    bool shaped = method > 0 && method < length && text[method] == ' ' && target > 0 &&
                  version_at < length && text[version_at - 1] == ' ';
    if (shaped) {
        const char *version = text + version_at;
        size_t version_length = length - version_at;
        shaped = version_length == 8 && StartsWith(version, version_length, "HTTP/1.", false) &&
                 version[7] >= '0' && version[7] <= '9';
    }
    bool readable = false;
    HttpResource resource = shaped ? ResourceOf(text + target_at, target, readable)
                                   : HttpResource::None;
    if (!shaped || !readable) {
        done_ = true;
        return;
    }
    head_only_ = Is(text, method, "HEAD");
    if (!head_only_ && !Is(text, method, "GET")) {
        status_ = 405;
    } else if (resource == HttpResource::None) {
        status_ = 404;
    } else {
        status_ = 200;
        resource_ = resource;
    }
}
