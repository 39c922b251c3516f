#include "server/engine/watcher_pool.h"

#include <algorithm>

bool WatcherPool::Add(Id id, const std::string &first, std::uint64_t now, const std::string &peer) {
    if (Full() || Has(id)) return false;
    auto stream = std::make_unique<StreamQueue>();
    stream->Start(first, now);
    watchers_[id] = std::move(stream);
    whose_[id] = Whose{peer, ++joined_};
    return true;
}

void WatcherPool::Drop(Id id) {
    watchers_.erase(id);
    whose_.erase(id);
}

bool WatcherPool::MakeRoom(const std::string &peer, Id &ended) {
    ended = 0;
    std::map<std::string, size_t> held;
    for (const auto &entry : whose_) ++held[entry.second.peer];
    size_t mine = held[peer];
    if (mine >= kMaxWatchers / 4) return false;
    if (!Full()) return true;
    // The oldest watcher of the address holding the most (of those holding
    // as many, the one with the oldest watcher) makes the room.
    size_t most_held = 0;
    for (const auto &entry : held) most_held = std::max(most_held, entry.second);
    if (most_held <= mine) return false;
    const Whose *oldest_whose = nullptr;
    Id oldest = 0;
    for (const auto &[id, whose] : whose_) {
        if (held[whose.peer] != most_held) continue;
        if (!oldest_whose || whose.order < oldest_whose->order) {
            oldest_whose = &whose;
            oldest = id;
        }
    }
    Drop(oldest);
    ended = oldest;
    return true;
}

std::vector<WatcherPool::Id> WatcherPool::Broadcast(const std::string &event) {
    std::vector<Id> dropped;
    for (auto &[id, stream] : watchers_)
        if (!stream->Queue(event)) dropped.push_back(id);
    for (Id id : dropped) Drop(id);
    return dropped;
}

bool WatcherPool::EventTo(Id id, const std::string &event) {
    auto found = watchers_.find(id);
    return found == watchers_.end() || found->second->Queue(event);
}

std::vector<WatcherPool::Id> WatcherPool::Tick(std::uint64_t now, const std::string &keep_alive) {
    std::vector<Id> dropped;
    for (auto &[id, stream] : watchers_)
        if (!stream->Tick(now, keep_alive)) dropped.push_back(id);
    for (Id id : dropped) Drop(id);
    return dropped;
}

bool WatcherPool::SendOne(StreamQueue &stream, Id id, const SendFunction &send) {
    while (stream.UnsentSize() > 0) {
        long n = send(id, stream.Unsent(), stream.UnsentSize());
        if (n < 0) return false;
        if (n == 0) break; // full: the rest when the socket takes more
        stream.Sent(static_cast<size_t>(n));
    }
    return true;
}

std::vector<WatcherPool::Id> WatcherPool::Send(Id id, const SendFunction &send) {
    std::vector<Id> failed;
    auto found = watchers_.find(id);
    if (found == watchers_.end()) return failed;
    if (!SendOne(*found->second, id, send)) {
        Drop(id);
        failed.push_back(id);
    }
    return failed;
}

std::vector<WatcherPool::Id> WatcherPool::SendAll(const SendFunction &send) {
    std::vector<Id> failed;
    for (auto &[id, stream] : watchers_)
        if (!SendOne(*stream, id, send)) failed.push_back(id);
    for (Id id : failed) Drop(id);
    return failed;
}
