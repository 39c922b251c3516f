#include "server/web/event_stream.h"

void AppendBoardEvent(std::string &out, unsigned long number, const std::string &feed) {
    out += "event: board\nid: ";
    out += std::to_string(number);
    out += "\ndata: ";
    for (char c : feed) {
        if (c != '\n' && c != '\r') out += c;
    }
    out += "\n\n";
}

void AppendRollCallEvent(std::string &out, const std::string &json) {
    out += "event: rollcall\ndata: ";
    for (char c : json) {
        if (c != '\n' && c != '\r') out += c;
    }
    out += "\n\n";
}

void EventStream::Start(unsigned long number, const std::string &feed, std::uint64_t now) {
    queue_ = "HTTP/1.1 200 OK\r\n"
             "Content-Type: text/event-stream; charset=utf-8\r\n"
             "Cache-Control: no-cache\r\n"
             "X-Content-Type-Options: nosniff\r\n"
             "X-Accel-Buffering: no\r\n"
             "\r\n"
             "retry: 2000\n\n";
    AppendBoardEvent(queue_, number, feed);
    sent_ = 0;
    ends_.assign(1, queue_.size());
    last_ = now;
}

bool EventStream::Queue(const std::string &bytes) {
    // The event in flight (the first not sent whole) goes out whatever its
    // size; the limit is on what waits behind it.
    size_t behind = ends_.empty() ? 0 : queue_.size() - ends_.front();
    if (behind > 0 && behind + bytes.size() > kWatcherQueueLimit) return false;
    // What was sent already goes, so the buffer does not grow with time.
    queue_.erase(0, sent_);
    for (size_t &end : ends_) end -= sent_;
    sent_ = 0;
    queue_ += bytes;
    ends_.push_back(queue_.size());
    return true;
}

bool EventStream::Publish(unsigned long number, const std::string &feed) {
    std::string event;
    AppendBoardEvent(event, number, feed);
    return Queue(event);
}

bool EventStream::Tick(std::uint64_t now) {
    if (now - last_ < kKeepAliveMs) return true;
    last_ = now;
    return Queue(": keep-alive\n\n");
}

void EventStream::Sent(size_t n) {
    sent_ += n < UnsentSize() ? n : UnsentSize();
    while (!ends_.empty() && ends_.front() <= sent_) ends_.pop_front();
}
