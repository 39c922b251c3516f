#include "server/web/http_request.h"

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
// readable is cleared when it is no path at all. path and query_text get
// the path and the query (without its "?").
HttpResource ResourceOf(const char *target, size_t length, bool &readable, bool &wall,
                        std::string &path, std::string &query_text) {
    readable = true;
    wall = false;
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
    if (query) {
        // "wall=1" among the query's "&"-separated pieces.
        const char *piece = query + 1;
        const char *end = target + length;
        while (piece <= end) {
            const char *amp = static_cast<const char *>(std::memchr(piece, '&', end - piece));
            const char *piece_end = amp ? amp : end;
            if (Is(piece, static_cast<size_t>(piece_end - piece), "wall=1")) wall = true;
            piece = piece_end + 1;
        }
        query_text.assign(query + 1, static_cast<size_t>(target + length - query - 1));
        length = static_cast<size_t>(query - target);
    }
    path.assign(target, length);
    if (Is(target, length, "/") || Is(target, length, "/index.html")) return HttpResource::Live;
    if (Is(target, length, "/board.html")) return HttpResource::Page;
    if (Is(target, length, "/board.json")) return HttpResource::Feed;
    if (Is(target, length, "/events")) return HttpResource::Events;
    if (Is(target, length, "/sign")) return HttpResource::Sign;
    if (Is(target, length, "/rollcall")) return HttpResource::RollCallPage;
    if (Is(target, length, "/rollcall.json")) return HttpResource::RollCallJson;
    if (Is(target, length, "/rollcall.csv")) return HttpResource::RollCallReport;
    if (Is(target, length, "/admin") || StartsWith(target, length, "/admin/", false))
        return HttpResource::Admin;
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
    allow_ = "GET, HEAD";
    wall_ = false;
    header_line_.clear();
    headers_ = HttpHeaders();
    in_body_ = false;
    body_.clear();
    method_.clear();
    path_.clear();
    query_.clear();
}

bool HttpRequestReader::Feed(const char *bytes, size_t size) {
    for (size_t i = 0; i < size && !done_; ++i) {
        if (in_body_) {
            size_t want = static_cast<size_t>(headers_.content_length) - body_.size();
            size_t take = size - i < want ? size - i : want;
            body_.append(bytes + i, take);
            total_ += take;
            i += take - 1;
            if (body_.size() == static_cast<size_t>(headers_.content_length)) done_ = true;
            continue;
        }
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
            if (header_length_ == 0 || (header_length_ == 1 && last_cr_))
                EndHead();
            else
                EndHeaderLine();
            header_length_ = 0;
            header_line_.clear();
        } else {
            ++header_length_;
            last_cr_ = c == '\r';
            header_line_ += c;
        }
    }
    return done_;
}

namespace {

bool NameIs(const std::string &line, size_t colon, const char *name) {
    if (colon != std::strlen(name)) return false;
    for (size_t i = 0; i < colon; ++i)
        if (FoldAscii(line[i]) != name[i]) return false;
    return true;
}

} // namespace

// A header line of the head (its LF removed) is in header_line_: the few
// the board needs are kept.
void HttpRequestReader::EndHeaderLine() {
    const std::string &line = header_line_;
    size_t colon = line.find(':');
    if (colon == std::string::npos) return;
    size_t start = colon + 1;
    size_t end = line.size();
    while (start < end && (line[start] == ' ' || line[start] == '\t')) ++start;
    while (end > start && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r'))
        --end;
    std::string value = line.substr(start, end - start);
    if (NameIs(line, colon, "host")) {
        headers_.host = value;
    } else if (NameIs(line, colon, "origin")) {
        headers_.has_origin = true;
        headers_.origin = value;
    } else if (NameIs(line, colon, "content-type")) {
        headers_.content_type = value;
    } else if (NameIs(line, colon, "x-board-key")) {
        headers_.has_key = true;
        headers_.key = value;
    } else if (NameIs(line, colon, "authorization")) {
        // "Bearer" in any case, then the token.
        headers_.has_bearer = value.size() > 7 && StartsWith(value.c_str(), 7, "bearer ", true);
        headers_.bearer = headers_.has_bearer ? value.substr(7) : std::string();
        while (!headers_.bearer.empty() && headers_.bearer[0] == ' ') headers_.bearer.erase(0, 1);
    } else if (NameIs(line, colon, "transfer-encoding")) {
        headers_.chunked = true;
    } else if (NameIs(line, colon, "content-length")) {
        long long length = 0;
        bool digits = !value.empty() && value.size() <= 12;
        for (char d : value) {
            if (d < '0' || d > '9')
                digits = false;
            else if (digits)
                length = length * 10 + (d - '0');
        }
        if (!digits || (headers_.content_length >= 0 && headers_.content_length != length))
            headers_.content_length_bad = true;
        headers_.content_length = digits ? length : -1;
    }
}

// The blank line has come: the answer stands, except that a sign-in's body
// is read first.
void HttpRequestReader::EndHead() {
    done_ = true;
    bool posted = resource_ == HttpResource::Sign || resource_ == HttpResource::RollCall ||
                  (resource_ == HttpResource::Admin && method_ == "POST");
    if (status_ != 200 || !posted) return;
    if (headers_.chunked || headers_.content_length_bad ||
        headers_.content_length > static_cast<long long>(resource_ == HttpResource::Admin
                                                             ? kMaxAdminBodyBytes
                                                             : kMaxHttpBodyBytes)) {
        status_ = 400;
    } else if (headers_.content_length < 0) {
        status_ = 411;
    } else if (headers_.content_length > 0) {
        done_ = false;
        in_body_ = true;
        return;
    }
    if (status_ != 200) resource_ = HttpResource::None;
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
    HttpResource resource =
        shaped ? ResourceOf(text + target_at, target, readable, wall_, path_, query_)
               : HttpResource::None;
    if (!shaped || !readable) {
        path_.clear();
        query_.clear();
        done_ = true;
        return;
    }
    method_.assign(text, method);
    head_only_ = Is(text, method, "HEAD");
    bool get = Is(text, method, "GET");
    bool post = Is(text, method, "POST");
    if (resource == HttpResource::Sign) {
        allow_ = "POST";
        head_only_ = false;
        status_ = post ? 200 : 405;
        if (post) resource_ = resource;
    } else if (resource == HttpResource::RollCallPage && post) {
        head_only_ = false;
        status_ = 200;
        resource_ = HttpResource::RollCall;
    } else if (resource == HttpResource::RollCallPage && !head_only_ && !get) {
        allow_ = "GET, HEAD, POST";
        status_ = 405;
    } else if (resource == HttpResource::Admin) {
        allow_ = "GET, HEAD, POST";
        if (post) head_only_ = false;
        status_ = get || head_only_ || post ? 200 : 405;
        if (status_ == 200) resource_ = resource;
    } else if (resource == HttpResource::Events && !get) {
        allow_ = "GET";
        head_only_ = false;
        status_ = 405;
    } else if (!head_only_ && !get) {
        status_ = 405;
    } else if (resource == HttpResource::None) {
        status_ = 404;
    } else {
        status_ = 200;
        resource_ = resource;
    }
}
