// What one watcher of the event stream has not taken yet: its first bytes
// at once, then one event at every publication, and a line every
// kKeepAliveMs so that proxies keep it open. A watcher that lets more than
// kWatcherQueueLimit pile up behind the event it is taking is given up (one
// event alone, however large, is never too much). The bytes are the web
// port's; the queue only keeps them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

constexpr size_t kWatcherQueueLimit = 64 * 1024;
constexpr std::uint64_t kKeepAliveMs = 20 * 1000;
// Watchers connected at once, in a pool of their own.
constexpr size_t kMaxWatchers = 128;

class StreamQueue {
  public:
    // The stream's first bytes (its head and the board), sent at once.
    void Start(const std::string &first, std::uint64_t now);
    // One event, queued. False when what waits behind the event in flight
    // would pass the limit: the watcher is to be closed.
    bool Queue(const std::string &event);
    // Queues keep_alive when kKeepAliveMs have passed since the start or
    // the last one. False when the queue would pass the limit.
    bool Tick(std::uint64_t now, const std::string &keep_alive);

    const char *Unsent() const { return queue_.data() + sent_; }
    size_t UnsentSize() const { return queue_.size() - sent_; }
    void Sent(size_t n);

  private:
    std::string queue_;
    size_t sent_ = 0;
    std::deque<size_t> ends_; // where each event not sent whole ends in queue_
    std::uint64_t last_ = 0;  // the start or the last keep-alive
};
