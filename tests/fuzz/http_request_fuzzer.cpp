// Arbitrary bytes on a web port connection: the request head reader, fed
// in pieces, then the reply to what it decided.
//
// Input: the first byte sets the size of each receive (1 to 256 bytes);
// the rest is what arrives. When it ends before the answer is known the
// peer is taken to have closed.
#include "server/web/http_reply.h"
#include "server/web/http_request.h"
#include "tests/fuzz/fuzz_board_dir.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    size_t piece = 1 + static_cast<size_t>(data[0]);
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    size_t left = size - 1;

    static HttpRequestReader pieces;
    pieces.Reset();
    size_t fed = 0;
    while (fed < left && !pieces.Done()) {
        size_t n = left - fed < piece ? left - fed : piece;
        pieces.Feed(bytes + fed, n);
        fed += n;
    }
    // Nothing is taken past the answer or the limit, and nothing is lost
    // before them.
    FUZZ_CHECK(pieces.Total() <= kMaxHttpHeadBytes + kMaxAdminBodyBytes);
    FUZZ_CHECK(pieces.Done() || pieces.Total() == left);
    bool closed = !pieces.Done();
    pieces.Finish();
    FUZZ_CHECK(pieces.Done());

    // The pieces do not change the answer.
    static HttpRequestReader whole;
    whole.Reset();
    whole.Feed(bytes, left);
    if (closed) whole.Finish();
    FUZZ_CHECK(whole.Status() == pieces.Status());
    FUZZ_CHECK(whole.Resource() == pieces.Resource());
    FUZZ_CHECK(whole.HeadOnly() == pieces.HeadOnly());
    FUZZ_CHECK(whole.Total() == pieces.Total());

    int status = pieces.Status();
    FUZZ_CHECK(status == 200 || status == 400 || status == 404 || status == 405 || status == 411 ||
               status == 431);
    FUZZ_CHECK((status == 200) == (pieces.Resource() != HttpResource::None));
    FUZZ_CHECK(status != 431 || pieces.Total() == kMaxHttpHeadBytes);

    // The reply's head is whole and its length is the body's.
    static const std::string page = "<HTML>board</HTML>";
    static const std::string feed = "{\"made\": \"2026-01-01T00:00:00\", \"members\": []}\n";
    WebContent content{page.data(), page.size(), "windows-1252", feed.data(), feed.size()};
    std::string reply;
    AppendHttpReply(reply, pieces, content);
    std::string status_line = "HTTP/1.1 " + std::to_string(status) + " ";
    FUZZ_CHECK(reply.compare(0, status_line.size(), status_line) == 0);
    size_t end = reply.find("\r\n\r\n");
    FUZZ_CHECK(end != std::string::npos);
    size_t length_at = reply.find("\r\nContent-Length: ");
    FUZZ_CHECK(length_at != std::string::npos && length_at < end);
    size_t length = std::strtoul(reply.c_str() + length_at + 18, nullptr, 10);
    size_t body = reply.size() - (end + 4);
    FUZZ_CHECK(body == (pieces.HeadOnly() ? 0 : length));
    // An event stream or a sign-in is answered by the connection's owner.
    HttpResource resource = pieces.Resource();
    bool handed_over = resource == HttpResource::Events || resource == HttpResource::Sign;
    if (status == 200 && !pieces.HeadOnly() && !handed_over)
        FUZZ_CHECK(reply.substr(end + 4) == (resource == HttpResource::Feed ? feed : page));
    return 0;
}
