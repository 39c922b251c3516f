#include "server/engine/connection_engine.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/engine/socket_error_text.h"
#include "server/engine/status_line.h"
#include "server/publish/batch_dispatch.h"
#include "server/publish/connection.h"

struct ConnectionEngine::Open {
    SocketId socket = 0;
    Pool pool = Pool::SignIn;
    std::uint64_t accepted_at = 0; // the deadline and the grace run from here
    std::string peer;
    RequestFramer framer;
    unsigned long completed = 0; // order of completion; 0 while incomplete
    // The web pool's connections only: the protocol spoken on it.
    std::unique_ptr<ConnectionExchange> exchange;
    bool exchange_line = false; // the exchange's batch_line goes to the batch
    std::string batch_line;
    size_t received = 0; // bytes read from the peer so far
};

namespace {

// A member's reply goes out through the engine's sockets; what the socket
// took is not examined (a peer gone before its reply is no failure).
class EngineConnection : public Connection {
  public:
    EngineConnection(EngineSockets &sockets, SocketId socket)
        : sockets_(sockets), socket_(socket) {}
    void Send(const char *bytes, size_t size) override { sockets_.Send(socket_, bytes, size); }

  private:
    EngineSockets &sockets_;
    SocketId socket_;
};

int Index(Pool pool) { return static_cast<int>(pool); }

} // namespace

ConnectionEngine::ConnectionEngine(EngineSockets &sockets, StatusLine &status, ExchangeMaker &web)
    : sockets_(sockets), status_(status), web_(web) {}

ConnectionEngine::~ConnectionEngine() = default;

void ConnectionEngine::Report(const char *label, int code) {
    char text[128];
    char error[64];
    SocketErrorText(code, error, sizeof error);
    CopyCut(text, label);
    AppendCut(text, error);
    status_.SetStatusText(text);
}

ConnectionEngine::Open *ConnectionEngine::Find(SocketId socket) {
    for (auto &open : open_) {
        if (open->socket == socket) return open.get();
    }
    return nullptr;
}

size_t ConnectionEngine::OpenCount(Pool pool) const {
    return static_cast<size_t>(
        std::count_if(open_.begin(), open_.end(),
                      [pool](const std::unique_ptr<Open> &o) { return o->pool == pool; }));
}

void ConnectionEngine::Close(SocketId socket) {
    sockets_.Close(socket);
    open_.erase(
        std::remove_if(open_.begin(), open_.end(),
                       [socket](const std::unique_ptr<Open> &o) { return o->socket == socket; }),
        open_.end());
}

void ConnectionEngine::EndWithError(SocketId socket, const char *label, int code) {
    Report(label, code);
    Close(socket);
}

void ConnectionEngine::AcceptNotice(Pool pool, std::uint64_t now) {
    now_ = now;
    TakeWaiting(pool, now);
}

void ConnectionEngine::TakeWaiting(Pool pool, std::uint64_t now) {
    const PoolRules &rules = kPoolRules[Index(pool)];
    backlog_[Index(pool)] = false;
    for (size_t taken = 0; taken < kAcceptBurst; ++taken) {
        if (OpenCount(pool) >= rules.capacity && !RoomToMake(pool, now)) {
            backlog_[Index(pool)] = true;
            return;
        }
        EngineSockets::Accepted accepted = sockets_.Accept(pool);
        if (accepted.error == kErrorWouldBlock) return;
        if (accepted.error != 0) {
            Report("DoConnection: ", accepted.error);
            // Out of sockets, perhaps: those held for strangers go first.
            for (const auto &held : held_) sockets_.Refuse(held.first);
            held_.clear();
            return;
        }
        ++accepted_;
        if (!MakeRoom(pool, accepted.peer, now)) {
            if (held_.size() < kHeldMax)
                held_.emplace_back(accepted.socket, now);
            else
                sockets_.Refuse(accepted.socket);
            continue;
        }
        sockets_.Watch(accepted.socket, pool);
        auto entry = std::make_unique<Open>();
        entry->socket = accepted.socket;
        entry->pool = pool;
        entry->accepted_at = now;
        entry->peer = std::move(accepted.peer);
        if (pool == Pool::Web) entry->exchange = web_.Open(entry->peer);
        Open &added = *entry;
        open_.push_back(std::move(entry));
        // A request that came with its connect is read at once, so that a
        // crowd's lines complete in the burst that accepted them.
        Read(added);
    }
    // The burst was cut short: the rest wait for the next notice or tick.
    backlog_[Index(pool)] = true;
}

// Nothing has come on the connection for at least min_ms since its accept
// (and its request has not completed), or its reply is out.
bool ConnectionEngine::IdleFor(const Open &open, std::uint64_t now, std::uint64_t min_ms) const {
    if (open.exchange && open.exchange->phase() == ConnectionExchange::Phase::Draining) return true;
    return open.completed == 0 && open.received == 0 && now - open.accepted_at >= min_ms;
}

// Whether a full pool can make room for a newcomer of another address:
// some address holds more than one connection and one of them is idle.
// A pool of one connection an address (a crowd signing in at once) takes
// nobody until its batch or a deadline frees a slot.
bool ConnectionEngine::RoomToMake(Pool pool, std::uint64_t now) const {
    std::map<std::string, size_t> held;
    for (const auto &open : open_)
        if (open->pool == pool) ++held[open->peer];
    for (const auto &open : open_)
        if (open->pool == pool && held[open->peer] > 1 && IdleFor(*open, now, kIdleGraceMs))
            return true;
    return false;
}

// Room for a newcomer of peer, accepted and not in the pool yet; false:
// it is to be closed at once.
bool ConnectionEngine::MakeRoom(Pool pool, const std::string &peer, std::uint64_t now) {
    const PoolRules &rules = kPoolRules[Index(pool)];
    const size_t share = AddressShare(rules.capacity);
    size_t open = 0, mine = 0;
    for (const auto &entry : open_) {
        if (entry->pool != pool) continue;
        ++open;
        if (entry->peer == peer) ++mine;
    }
    if (mine >= share) return EndOldest(pool, peer, now, kIdleOwnMs, false);
    if (open < rules.capacity) return true;
    // The address holding the most; of those holding as many, the one whose
    // connection is the oldest (the table is in the order of accept).
    std::map<std::string, size_t> held;
    for (const auto &entry : open_)
        if (entry->pool == pool) ++held[entry->peer];
    const std::string *most = nullptr;
    size_t most_held = 0;
    for (const auto &entry : open_) {
        if (entry->pool != pool || held[entry->peer] <= most_held) continue;
        most = &entry->peer;
        most_held = held[entry->peer];
    }
    // Room from another address only while it would still hold more than
    // the newcomer's: one at its share may lose a request on its way.
    if (most && *most != peer && most_held > mine + 1) {
        std::string victim = *most;
        if (EndOldest(pool, victim, now, kIdleGraceMs, most_held >= share)) return true;
    }
    return EndOldest(pool, peer, now, kIdleOwnMs, false);
}

// Ends the peer's oldest connection of the pool idle for at least min_ms,
// or when there is none and busy is true, its oldest whose request has not
// completed. False when none could be ended.
bool ConnectionEngine::EndOldest(Pool pool, const std::string &peer, std::uint64_t now,
                                 std::uint64_t min_ms, bool busy) {
    SocketId oldest_busy = 0;
    bool found_busy = false;
    for (const auto &open : open_) {
        if (open->pool != pool || open->peer != peer || open->completed != 0) continue;
        // Bytes waiting to be read are a request on its way, not an idle peer.
        if (IdleFor(*open, now, min_ms) && sockets_.Unread(open->socket) == 0) {
            EndWithError(open->socket, "GetRequest: ", kErrorAborted);
            return true;
        }
        if (!found_busy) {
            oldest_busy = open->socket;
            found_busy = true;
        }
    }
    if (!busy || !found_busy) return false;
    EndWithError(oldest_busy, "GetRequest: ", kErrorAborted);
    return true;
}

void ConnectionEngine::ReadNotice(SocketId socket, std::uint64_t now) {
    now_ = now;
    Open *open = Find(socket);
    if (!open && watchers_.Has(socket)) {
        ReadWatcher(socket);
        return;
    }
    // A notice for a socket no longer open, or one whose request waits for
    // its batch, changes nothing.
    if (!open || open->completed != 0) return;
    if (open->exchange)
        ReadExchange(*open);
    else
        Read(*open);
}

void ConnectionEngine::WriteNotice(SocketId socket, std::uint64_t now) {
    now_ = now;
    Open *open = Find(socket);
    if (open && open->exchange)
        SendExchange(*open);
    else if (!open && watchers_.Has(socket))
        SendWatchers({}, false, socket);
}

void ConnectionEngine::ReadWatcher(SocketId socket) {
    // A watcher sends nothing after its request: bytes, its close or an
    // error end it.
    char chunk[512];
    EngineSockets::Io got = sockets_.Receive(socket, chunk, sizeof chunk);
    if (got.error == kErrorWouldBlock) return;
    watchers_.Remove(socket);
    sockets_.Close(socket);
}

void ConnectionEngine::SendWatchers(const std::vector<SocketId> &dropped, bool all, SocketId one) {
    for (SocketId socket : dropped) sockets_.Close(socket);
    auto send = [this](WatcherPool::Id id, const char *bytes, size_t size) -> long {
        EngineSockets::Io sent = sockets_.Send(id, bytes, size);
        if (sent.error == kErrorWouldBlock) return 0;
        if (sent.error != 0) return -1;
        return static_cast<long>(sent.count);
    };
    std::vector<SocketId> failed = all ? watchers_.SendAll(send) : watchers_.Send(one, send);
    for (SocketId socket : failed) sockets_.Close(socket);
}

void ConnectionEngine::Published(const Publisher &publisher) {
    if (publisher.Number() == told_) return;
    told_ = publisher.Number();
    if (watchers_.Count() == 0) return;
    SendWatchers(watchers_.Broadcast(web_.StreamEvent(publisher)), true);
}

void ConnectionEngine::Broadcast(const std::string &event, bool lasting) {
    lasting_event_ = lasting ? event : std::string();
    SendWatchers(watchers_.Broadcast(event), true);
}

bool ConnectionEngine::OverdueCheckDue(std::uint64_t now) {
    if (watchers_.Count() == 0 || now - overdue_checked_ < kOverdueCheckMs) return false;
    overdue_checked_ = now;
    return true;
}

// A request of an exchange read whole that it does not answer by itself:
// its reply is made, it joins the batch, or the connection becomes a
// watcher of the event stream.
void ConnectionEngine::Handover(Open &open) {
    SocketId socket = open.socket;
    ConnectionExchange::Turn turn = open.exchange->TakeOver(now_);
    if (!turn.notice.empty()) status_.SetStatusText(turn.notice.c_str());
    switch (turn.next) {
    case ConnectionExchange::Turn::Next::Stream:
        StartStream(open);
        return;
    case ConnectionExchange::Turn::Next::Batch:
        open.exchange_line = true;
        open.batch_line = std::move(turn.line);
        Complete(open);
        return;
    case ConnectionExchange::Turn::Next::Reply:
        break;
    }
    // The answer may have told the watchers first: this connection is
    // found again.
    if (Open *still = Find(socket)) SendExchange(*still);
}

void ConnectionEngine::StartStream(Open &open) {
    SocketId socket = open.socket;
    const Publisher *source = web_.Following();
    // An address at its share of the watchers, or a full pool with no
    // address holding more, is told there is no room.
    WatcherPool::Id ended = 0;
    bool room = source && watchers_.MakeRoom(open.peer, ended);
    if (ended != 0) sockets_.Close(ended);
    if (!room) {
        open.exchange->NoStream();
        SendExchange(open);
        return;
    }
    // The others first hear of a publication not told yet, which the
    // newcomer gets as its first event.
    Published(*source);
    // Out of the web pool, without a close: from now on a watcher.
    const std::string peer = open.peer;
    open_.erase(
        std::remove_if(open_.begin(), open_.end(),
                       [socket](const std::unique_ptr<Open> &o) { return o->socket == socket; }),
        open_.end());
    if (watchers_.Count() == 0) overdue_checked_ = now_;
    watchers_.Add(socket, web_.StreamStart(*source), now_, peer);
    if (!lasting_event_.empty()) watchers_.EventTo(socket, lasting_event_);
    SendWatchers({}, false, socket);
}

void ConnectionEngine::Read(Open &open) {
    if (open.exchange) {
        ReadExchange(open);
        return;
    }
    char chunk[1024 + 1];
    SocketId socket = open.socket;
    // Read until the line is complete, nothing more has arrived or a
    // receive fills the chunk: a request that came whole takes one receive.
    // What a full chunk leaves waits for the next notice (the receive lets
    // it come), so that one notice never takes more than one chunk.
    for (;;) {
        EngineSockets::Io got = sockets_.Receive(socket, chunk, 1024);
        if (got.error == kErrorWouldBlock) return; // nothing (more) yet
        if (got.error != 0) {
            EndWithError(socket, "GetRequest: ", got.error);
            return;
        }
        if (got.count == 0) {
            // The peer closed its side before a line end: what came is the
            // request.
            open.framer.Finish();
            Complete(open);
            return;
        }
        chunk[got.count] = '\0';
        open.received += got.count;
        Feed(open, chunk, got.count);
        Open *still = Find(socket);
        if (!still || still->completed != 0 || got.count == 1024) return;
    }
}

void ConnectionEngine::Feed(Open &open, const char *bytes, size_t size) {
    FrameState state = open.framer.Feed(bytes, size);
    if (state == FrameState::Rejected) {
        sockets_.Send(open.socket, kReplyRejected, std::strlen(kReplyRejected));
        Close(open.socket);
        return;
    }
    if (state == FrameState::Complete) Complete(open);
}

void ConnectionEngine::Complete(Open &open) {
    open.completed = ++completions_;
    if (!batch_waiting_) {
        batch_waiting_ = true;
        batch_since_ = now_;
    }
}

void ConnectionEngine::ReadExchange(Open &open) {
    SocketId socket = open.socket;
    ConnectionExchange &web = *open.exchange;
    // At most kReadBudget a notice: a receive that fills what is left of it
    // ends the reading, the rest comes at the next notice (which that
    // receive lets Windows Sockets post: one a notice, never a flood).
    char chunk[kReadBudget];
    for (size_t budget = kReadBudget; budget > 0;) {
        EngineSockets::Io got = sockets_.Receive(socket, chunk, budget);
        if (got.error == kErrorWouldBlock) break;
        if (got.error != 0) {
            // A peer that goes away after its reply is no failure of the server.
            if (web.phase() == ConnectionExchange::Phase::Reading)
                EndWithError(socket, "GetRequest: ", got.error);
            else
                Close(socket);
            return;
        }
        if (got.count == 0) {
            web.PeerClosed();
            break;
        }
        budget -= got.count;
        open.received += got.count;
        web.Received(chunk, got.count);
        if (web.SentPastRequest(open.received)) {
            Close(socket);
            return;
        }
    }
    if (web.phase() == ConnectionExchange::Phase::Handover && open.completed == 0) {
        Handover(open);
        return;
    }
    SendExchange(open);
}

void ConnectionEngine::SendExchange(Open &open) {
    ConnectionExchange &web = *open.exchange;
    while (web.phase() == ConnectionExchange::Phase::Sending) {
        EngineSockets::Io sent = sockets_.Send(open.socket, web.Unsent(), web.UnsentSize());
        if (sent.error == kErrorWouldBlock) return; // the rest goes at the next write notice
        if (sent.error != 0) {
            Close(open.socket);
            return;
        }
        web.Sent(sent.count);
        if (web.phase() == ConnectionExchange::Phase::Draining) sockets_.ShutSending(open.socket);
    }
    if (web.phase() == ConnectionExchange::Phase::Done) Close(open.socket);
}

bool ConnectionEngine::RunBatchWhenDue(std::uint64_t now, bool notices_queued, BoardContext &board,
                                       Publisher &publisher, PublishResult &result) {
    result = PublishResult{};
    now_ = now;
    if (!batch_waiting_) return true;
    // Waiting for the queued notices lets a crowd that arrives together be
    // saved together; the wait is bounded so that a steady stream of
    // notices cannot hold a request back.
    if (notices_queued && now - batch_since_ < kBatchWaitMs) return false;
    batch_waiting_ = false;
    std::vector<Open *> members;
    for (auto &open : open_) {
        if (open->completed != 0) members.push_back(open.get());
    }
    std::sort(members.begin(), members.end(),
              [](const Open *a, const Open *b) { return a->completed < b->completed; });
    std::vector<EngineConnection> connections;
    connections.reserve(members.size());
    // An exchange's line is answered in its protocol once the batch is done.
    std::vector<KeptReply> kept(members.size());
    std::vector<PendingRequest> requests(members.size());
    std::vector<SocketId> sockets;
    for (size_t i = 0; i < members.size(); ++i) {
        connections.emplace_back(sockets_, members[i]->socket);
        bool web = members[i]->exchange_line;
        requests[i].line = web ? members[i]->batch_line : members[i]->framer.Line();
        requests[i].connection = web ? static_cast<Connection *>(&kept[i]) : &connections[i];
        requests[i].peer = members[i]->peer;
        sockets.push_back(members[i]->socket);
    }
    if (!requests.empty()) {
        ++batches_;
        result = DispatchBatch(board, publisher, requests);
    }
    for (size_t i = 0; i < sockets.size(); ++i) {
        Open *open = Find(sockets[i]);
        if (open && open->exchange_line) {
            open->exchange_line = false;
            open->completed = 0;
            open->exchange->Answered(kept[i].Bytes());
            SendExchange(*open);
        } else {
            Close(sockets[i]);
        }
    }
    // The slots are free again: what waits in a backlog comes in now.
    for (int pool = 0; pool < kPoolCount; ++pool) {
        if (backlog_[pool]) TakeWaiting(static_cast<Pool>(pool), now);
    }
    return true;
}

void ConnectionEngine::Tick(std::uint64_t now) {
    now_ = now;
    std::vector<SocketId> late, done;
    for (const auto &open : open_) {
        if (!kPoolRules[Index(open->pool)].deadline) continue;
        if (open->completed != 0 || now - open->accepted_at < kRequestDeadlineMs) continue;
        bool delivered =
            open->exchange && open->exchange->phase() == ConnectionExchange::Phase::Draining;
        (delivered ? done : late).push_back(open->socket);
    }
    for (SocketId socket : late) EndWithError(socket, "GetRequest: ", kErrorTimedOut);
    for (SocketId socket : done) Close(socket);
    // The table is in the order of accept.
    size_t due = 0;
    while (due < held_.size() && now - held_[due].second >= kRequestDeadlineMs)
        sockets_.Refuse(held_[due++].first);
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(due));
    SendWatchers(watchers_.Tick(now, web_.KeepAlive()), true);
    // A full pool's backlog gets no further accept notice until something
    // is accepted, and a notice can come before its connection can be
    // taken: the backlogs are looked at here too.
    for (int pool = 0; pool < kPoolCount; ++pool) TakeWaiting(static_cast<Pool>(pool), now);
}

void ConnectionEngine::CloseAll() {
    while (!open_.empty()) Close(open_.front()->socket);
    for (const auto &held : held_) sockets_.Refuse(held.first);
    held_.clear();
    for (WatcherPool::Id id : watchers_.Ids()) {
        watchers_.Remove(id);
        sockets_.Close(id);
    }
    batch_waiting_ = false;
    for (bool &waiting : backlog_) waiting = false;
}
