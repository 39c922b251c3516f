#include "server/publish/request_framer.h"

#include "common/fixed_text.h"
#include "common/protocol.h"

#include <cstring>

namespace {

const char kEmptyLine[] = "default.txt";

// The first occurrence of the two-byte terminator in text, or -1.
long FindTerminator(const char *text, size_t length, const char *terminator) {
    for (size_t i = 0; i + 1 < length; ++i) {
        if (text[i] == terminator[0] && text[i + 1] == terminator[1]) return static_cast<long>(i);
    }
    return -1;
}

} // namespace

void RequestFramer::Reset() {
    text_[0] = '\0';
    length_ = 0;
    total_ = 0;
    line_[0] = '\0';
    state_ = FrameState::NeedMore;
}

FrameState RequestFramer::Feed(const char *bytes, size_t size) {
    if (state_ != FrameState::NeedMore) return state_;

    // Every byte counts towards the limit, and the limit is tested before
    // the line end is looked for.
    if (size > static_cast<size_t>(kMaxRequestBytes) - static_cast<size_t>(total_)) {
        total_ = kMaxRequestBytes + 1;
        state_ = FrameState::Rejected;
        return state_;
    }
    total_ += static_cast<int>(size);

    // The piece is taken as a NUL-terminated text: what follows a NUL is
    // counted above but not kept. The total bounds length_ + n by 255.
    size_t n = bytes ? strnlen(bytes, size) : 0;
    if (n > 0) std::memcpy(text_ + length_, bytes, n);
    length_ += n;
    text_[length_] = '\0';

    // CR LF anywhere wins over an earlier LF CR.
    long end = FindTerminator(text_, length_, kLineEndCrLf);
    if (end < 0) end = FindTerminator(text_, length_, kLineEnd);
    if (end < 0) return FrameState::NeedMore;

    TakeLine(static_cast<size_t>(end));
    state_ = FrameState::Complete;
    return state_;
}

void RequestFramer::Finish() {
    if (state_ != FrameState::NeedMore) return;
    TakeLine(length_);
    state_ = FrameState::Complete;
}

void RequestFramer::TakeLine(size_t length) {
    std::memcpy(line_, text_, length);
    line_[length] = '\0';
    if (line_[0] == '\0') CopyCut(line_, kEmptyLine);
}
