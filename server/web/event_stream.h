// One browser watching the board: the event stream of the web port's
// "/events". After its head it gets the board at once, then one event at
// every publication, and a comment line every kKeepAliveMs so that
// proxies keep it open. What it has not taken yet is queued; a
// watcher that lets more than kWatcherQueueLimit pile up behind the event
// it is taking is given up (one event alone, however large, is never too
// much).
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

constexpr size_t kWatcherQueueLimit = 64 * 1024;
constexpr std::uint64_t kKeepAliveMs = 20 * 1000;
// Watchers connected at once, in a pool of their own.
constexpr size_t kMaxWatchers = 128;

// Appends one "board" event: "event: board\nid: <number>\ndata: <feed on
// one line>\n\n". The feed's line ends fall between its values (those in
// its strings are escaped), so they are dropped.
void AppendBoardEvent(std::string &out, unsigned long number, const std::string &feed);

// Appends one "rollcall" event: "event: rollcall\ndata: <the roll call's
// JSON on one line>\n\n".
void AppendRollCallEvent(std::string &out, const std::string &json);

class EventStream {
  public:
    // The reply head and the board as it stands, sent at once.
    void Start(unsigned long number, const std::string &feed, std::uint64_t now);
    // A publication: its event is queued. False when what waits behind the
    // event in flight would pass the limit: the watcher is to be closed.
    bool Publish(unsigned long number, const std::string &feed);
    // An event made elsewhere (AppendRollCallEvent): queued. False when the
    // queue would pass the limit.
    bool Event(const std::string &event) { return Queue(event); }
    // Queues a comment line when kKeepAliveMs have passed since the start
    // or the last one. False when the queue would pass the limit.
    bool Tick(std::uint64_t now);

    const char *Unsent() const { return queue_.data() + sent_; }
    size_t UnsentSize() const { return queue_.size() - sent_; }
    void Sent(size_t n);

  private:
    bool Queue(const std::string &bytes);

    std::string queue_;
    size_t sent_ = 0;
    std::deque<size_t> ends_; // where each event not sent whole ends in queue_
    std::uint64_t last_ = 0;  // the start or the last comment line
};
