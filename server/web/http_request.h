// Reads one HTTP request on the web port from the bytes of a connection's
// receives, as they arrive, and decides the answer: the request line, the
// few header lines the board needs (the rest are read to the blank line
// that ends the head and ignored) and, for a sign-in, the body.
#pragma once
#include <cstddef>
#include <string>

// A head longer than this is refused (431) without reading further.
constexpr size_t kMaxHttpHeadBytes = 8 * 1024;
// The most a sign-in's body may hold.
constexpr size_t kMaxHttpBodyBytes = 4 * 1024;
// The most an administration's body may hold: the header and the footer
// at once, each character escaped in JSON at its longest.
constexpr size_t kMaxAdminBodyBytes = 16 * 1024;

enum class HttpResource {
    None,           // nothing to serve: the status is an error
    Page,           // "/board.html": the classic board page
    Feed,           // "/board.json": the board as JSON
    Live,           // "/" and "/index.html": the live board
    Events,         // "GET /events": the board's event stream
    Sign,           // "POST /sign": a sign-in or sign-out, its body read
    RollCall,       // "POST /rollcall": a marshal's command, its body read
    RollCallPage,   // "GET /rollcall": the marshals' page
    RollCallJson,   // "/rollcall.json": the roll call as JSON
    RollCallReport, // "/rollcall.csv": the last roll call's report
    Admin,          // "/admin" and below it: GET, HEAD, or POST with its body read
};

// The header lines the board reads (the last of each kind counts). A value
// is kept without the white space around it.
struct HttpHeaders {
    std::string host;
    bool has_origin = false;
    std::string origin;
    std::string content_type;
    bool has_key = false;
    std::string key; // X-Board-Key
    bool has_bearer = false;
    std::string bearer;            // the token of "Authorization: Bearer <token>"
    long long content_length = -1; // -1: none given
    bool content_length_bad = false;
    bool chunked = false; // a Transfer-Encoding was given
};

class HttpRequestReader {
  public:
    HttpRequestReader() { Reset(); }
    void Reset();
    // Feeds the bytes of one receive. Returns false while more is needed;
    // true once the answer is known: the head has ended, its request line
    // cannot be read, or it has passed kMaxHttpHeadBytes. Bytes fed after
    // that are ignored.
    bool Feed(const char *bytes, size_t size);
    // The peer closed its side before the head ended: the request is
    // unreadable (400). Does nothing once the answer is known.
    void Finish();
    bool Done() const { return done_; }
    // Valid once Done(): 200, 400 (unreadable, or a sign-in body that is
    // not there whole or is longer than kMaxHttpBodyBytes, or for the
    // administration kMaxAdminBodyBytes), 404 (no such
    // path), 405 (a method the path does not take), 411 (a sign-in without
    // Content-Length), 431 (head too large).
    int Status() const { return status_; }
    // The method was HEAD: the reply carries no body.
    bool HeadOnly() const { return head_only_; }
    // What a 200 serves; None for every other status.
    HttpResource Resource() const { return resource_; }
    // Bytes of the head and body taken so far (a byte fed after Done() is
    // not).
    size_t Total() const { return total_; }
    // The methods a 405's path takes ("GET, HEAD", "POST" or "GET, HEAD, POST").
    const char *Allow() const { return allow_; }
    // The query holds "wall=1": the live board for a lobby screen.
    bool Wall() const { return wall_; }
    const HttpHeaders &Headers() const { return headers_; }
    // A sign-in's, a roll call's or an administration's POST body, whole
    // once Done() with 200.
    const std::string &Body() const { return body_; }
    // The request line's method, its target's path (an absolute URL's path
    // after the host) and query (after "?", "" when none), once it is read.
    const std::string &Method() const { return method_; }
    const std::string &Path() const { return path_; }
    const std::string &Query() const { return query_; }

  private:
    void EndRequestLine();
    void EndHeaderLine();
    void EndHead();

    char line_[kMaxHttpHeadBytes + 1];
    size_t line_length_;
    size_t total_;
    bool in_headers_;      // the request line has been read
    size_t header_length_; // bytes of the current header line before its LF
    bool last_cr_;         // the last of them was a CR
    bool done_;
    int status_;
    bool head_only_;
    HttpResource resource_;
    const char *allow_;
    bool wall_;
    std::string header_line_; // the header line being read
    HttpHeaders headers_;
    bool in_body_;
    std::string body_;
    std::string method_;
    std::string path_;
    std::string query_;
};
