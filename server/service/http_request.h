// Reads the head of one HTTP request on the web port from the bytes of a
// connection's receives, as they arrive, and decides the answer. Only the
// request line is interpreted; header lines are read to the blank line that
// ends the head and otherwise ignored.
#pragma once
#include <cstddef>

// A head longer than this is refused (431) without reading further.
constexpr size_t kMaxHttpHeadBytes = 8 * 1024;

enum class HttpResource {
    None, // nothing to serve: the status is an error
    Page, // "/" and "/index.html": the board page
    Feed, // "/board.json": the board as JSON
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
    // Valid once Done(): 200, 400 (unreadable), 404 (no such path), 405
    // (neither GET nor HEAD), 431 (head too large).
    int Status() const { return status_; }
    // The method was HEAD: the reply carries no body.
    bool HeadOnly() const { return head_only_; }
    // What a 200 serves; None for every other status.
    HttpResource Resource() const { return resource_; }
    // Bytes of the head taken so far (a byte fed after Done() is not).
    size_t Total() const { return total_; }

  private:
    void EndRequestLine();

    char line_[kMaxHttpHeadBytes + 1];
    size_t line_length_;
    size_t total_;
    bool in_headers_;        // the request line has been read
    size_t header_length_;   // bytes of the current header line before its LF
    bool last_cr_;           // the last of them was a CR
    bool done_;
    int status_;
    bool head_only_;
    HttpResource resource_;
};
