// The browsers watching the board's event stream: a pool of their own,
// apart from the sign-in and web connections and outside the request
// deadline. Each publication is queued on every watcher and sent as far as
// its socket takes it; a watcher that lets more than kWatcherQueueLimit
// pile up is given up, and the others keep their events. Sending never
// waits, so no watcher can hold up a sign-in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "server/engine/stream_queue.h"

class WatcherPool {
  public:
    using Id = std::uintptr_t;
    // Sends what the socket takes of the bytes without waiting: the count
    // taken (0 when it is full), or -1 when the connection failed.
    using SendFunction = std::function<long(Id, const char *, size_t)>;

    bool Full() const { return watchers_.size() >= kMaxWatchers; }
    size_t Count() const { return watchers_.size(); }
    bool Has(Id id) const { return watchers_.count(id) != 0; }

    // A new watcher of the peer's address, the stream's first bytes queued;
    // false when the pool is full.
    bool Add(Id id, const std::string &first, std::uint64_t now, const std::string &peer = "");
    void Remove(Id id) { Drop(id); }
    // Whether a newcomer of peer may join, each address holding at most a
    // quarter of the pool: under its share with a slot free, or with the
    // pool full when another address holds more than peer's (its oldest
    // watcher is ended: ended, already out of the pool; 0 when none was).
    bool MakeRoom(const std::string &peer, Id &ended);
    std::vector<Id> Ids() const {
        std::vector<Id> ids;
        for (const auto &entry : watchers_) ids.push_back(entry.first);
        return ids;
    }

    // An event for every watcher (a publication, a roll call's change).
    // Returns the watchers to close (their queue would pass the limit),
    // already out of the pool.
    std::vector<Id> Broadcast(const std::string &event);
    // An event for one watcher (the roll call as it stands, to a newcomer).
    // False when it is to be closed (still in the pool).
    bool EventTo(Id id, const std::string &event);
    // The keep-alive lines that are due; returns those to close.
    std::vector<Id> Tick(std::uint64_t now, const std::string &keep_alive);

    // Sends what is queued for the watcher (or for all). Returns the
    // watchers whose sending failed, already out of the pool.
    std::vector<Id> Send(Id id, const SendFunction &send);
    std::vector<Id> SendAll(const SendFunction &send);

  private:
    bool SendOne(StreamQueue &stream, Id id, const SendFunction &send);
    void Drop(Id id);

    struct Whose {
        std::string peer;
        unsigned long order; // of joining: the smallest is the oldest
    };
    std::map<Id, std::unique_ptr<StreamQueue>> watchers_;
    std::map<Id, Whose> whose_;
    unsigned long joined_ = 0;
};
