// Gathers the bytes of one connection's receives into a request line by
// the framing rules of the wire format.
#pragma once
#include <cstddef>

enum class FrameState {
    NeedMore, // no line end yet: receive again
    Complete, // Line() holds the request line
    Rejected, // more than 255 bytes arrived: send the rejection reply
};

class RequestFramer {
  public:
    RequestFramer() { Reset(); }
    void Reset();
    // Feeds the bytes of one receive (a NUL inside them ends what is
    // appended; every byte counts towards the limit).
    FrameState Feed(const char *bytes, size_t size);
    // The peer closed before a line end: what was gathered becomes the line
    // (State() is then Complete). Does nothing once the state is not NeedMore.
    void Finish();
    // The request line: the text before the line end ("default.txt" when
    // empty). Valid after Complete or Finish.
    const char *Line() const { return line_; }
    // Bytes counted so far (256 once the request is rejected).
    int Total() const { return total_; }
    // NeedMore until a line is complete (Complete, also after Finish) or
    // the request is rejected; Feed changes nothing once it is not NeedMore.
    FrameState State() const { return state_; }

  private:
    void TakeLine(size_t length);

    char text_[256];
    size_t length_;
    int total_;
    char line_[256];
    FrameState state_;
};
