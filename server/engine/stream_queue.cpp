#include "server/engine/stream_queue.h"

void StreamQueue::Start(const std::string &first, std::uint64_t now) {
    queue_ = first;
    sent_ = 0;
    ends_.assign(1, queue_.size());
    last_ = now;
}

bool StreamQueue::Queue(const std::string &event) {
    // The event in flight (the first not sent whole) goes out whatever its
    // size; the limit is on what waits behind it.
    size_t behind = ends_.empty() ? 0 : queue_.size() - ends_.front();
    if (behind > 0 && behind + event.size() > kWatcherQueueLimit) return false;
    // What was sent already goes, so the buffer does not grow with time.
    queue_.erase(0, sent_);
    for (size_t &end : ends_) end -= sent_;
    sent_ = 0;
    queue_ += event;
    ends_.push_back(queue_.size());
    return true;
}

bool StreamQueue::Tick(std::uint64_t now, const std::string &keep_alive) {
    if (now - last_ < kKeepAliveMs) return true;
    last_ = now;
    return Queue(keep_alive);
}

void StreamQueue::Sent(size_t n) {
    sent_ += n < UnsentSize() ? n : UnsentSize();
    while (!ends_.empty() && ends_.front() <= sent_) ends_.pop_front();
}
