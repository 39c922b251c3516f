#include "server/engine/watcher_pool.h"

#include "server/publish/publisher.h"

bool WatcherPool::Add(Id id, const Publisher &publisher, std::uint64_t now) {
    if (Full() || Has(id)) return false;
    auto stream = std::make_unique<EventStream>();
    stream->Start(publisher.Number(), publisher.FeedBytes(), now);
    watchers_[id] = std::move(stream);
    return true;
}

std::vector<WatcherPool::Id> WatcherPool::Publish(const Publisher &publisher) {
    std::vector<Id> dropped;
    for (auto &[id, stream] : watchers_)
        if (!stream->Publish(publisher.Number(), publisher.FeedBytes())) dropped.push_back(id);
    for (Id id : dropped) watchers_.erase(id);
    return dropped;
}

std::vector<WatcherPool::Id> WatcherPool::Broadcast(const std::string &event) {
    std::vector<Id> dropped;
    for (auto &[id, stream] : watchers_)
        if (!stream->Event(event)) dropped.push_back(id);
    for (Id id : dropped) watchers_.erase(id);
    return dropped;
}

bool WatcherPool::EventTo(Id id, const std::string &event) {
    auto found = watchers_.find(id);
    return found == watchers_.end() || found->second->Event(event);
}

std::vector<WatcherPool::Id> WatcherPool::Tick(std::uint64_t now) {
    std::vector<Id> dropped;
    for (auto &[id, stream] : watchers_)
        if (!stream->Tick(now)) dropped.push_back(id);
    for (Id id : dropped) watchers_.erase(id);
    return dropped;
}

bool WatcherPool::SendOne(EventStream &stream, Id id, const SendFunction &send) {
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
        watchers_.erase(found);
        failed.push_back(id);
    }
    return failed;
}

std::vector<WatcherPool::Id> WatcherPool::SendAll(const SendFunction &send) {
    std::vector<Id> failed;
    for (auto &[id, stream] : watchers_)
        if (!SendOne(*stream, id, send)) failed.push_back(id);
    for (Id id : failed) watchers_.erase(id);
    return failed;
}
