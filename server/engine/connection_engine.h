// The server's connections as one state machine: the socket front end tells
// it what the sockets announce (a connection waiting, bytes to read, room to
// send, the time) and it answers through EngineSockets (accept, read, send,
// shut, close). After each notice or tick the front end asks whether a
// batch is pending (BatchPending) and runs it (RunBatchWhenDue), and after
// every publication it tells the engine (Published): the engine never calls
// back up. It keeps the pools of open connections, their
// deadlines, what is ended to make room, the request framers, the
// watchers of the event stream and the batching of complete requests. The
// web pool's protocol is not the engine's: each of its connections is an
// exchange the web port makes (ExchangeMaker), fed the bytes read and
// asked for the bytes to send. No platform code: the handles are the
// front end's socket values and the errors are Windows Sockets codes as
// plain numbers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "server/engine/connection_exchange.h"
#include "server/engine/request_deadline.h"
#include "server/engine/watcher_pool.h"
#include "server/publish/publisher.h"
#include "server/publish/request_framer.h"

class StatusLine;
struct BoardContext;

// A socket as the front end names it. Values are reused as soon as a socket
// is closed, so a notice may name a socket that is not the one it was for.
using SocketId = std::uintptr_t;

// The Windows Sockets codes the engine meets or reports.
constexpr int kErrorWouldBlock = 10035; // nothing to accept, read or send now
constexpr int kErrorInvalid = 10022;    // a web port setting without a port
constexpr int kErrorAborted = 10053;    // ended to make room (2745)
constexpr int kErrorTimedOut = 10060;   // past the request deadline (274c)

// The pools of connections: each has its own listening port and rules.
enum class Pool { SignIn, Web };
constexpr int kPoolCount = 2;

struct PoolRules {
    // Connections of the pool open at once.
    size_t capacity;
    // Whether a connection is ended when its request has not come whole
    // within kRequestDeadlineMs of its accept.
    bool deadline;
};

// Both pools hold at most 64 with the request deadline.
constexpr PoolRules kPoolRules[kPoolCount] = {{64, true}, {64, true}};

// At one accept notice at most this many connections are taken; the rest
// wait in the backlog for the next notice or tick. Taking them while the
// pool is full keeps the system's queue short, so that a member is never
// held up behind a stranger's connections waiting in it.
constexpr size_t kAcceptBurst = 256;
// One address holds at most a quarter of a pool (the watchers' too;
// loopback is an address like any other). A newcomer of an address at its
// share ends that address's oldest connection idle for kIdleOwnMs (nothing
// read from it) or, when it has none, is turned away (kHeldMax). A
// newcomer finding the pool full ends the oldest connection idle for
// kIdleGraceMs of the address holding the most, while that holds more than
// the newcomer's would; younger ones are requests on their way. A full
// pool whose addresses hold one each, or with nobody idle, takes nobody
// until its batch or a deadline frees a slot.
constexpr std::uint64_t kIdleGraceMs = 200;
constexpr std::uint64_t kIdleOwnMs = 1000;
// A newcomer turned away is held open, unread, until the request deadline
// (up to this many at once) and only then closed: a peer that reconnects
// as soon as it is closed would otherwise keep the server accepting and
// closing as fast as it can, and the system's queue full of its sockets.
constexpr size_t kHeldMax = 4096;
constexpr size_t AddressShare(size_t capacity) { return capacity / 4; }
// A complete request waits at most this long for others to join its batch.
constexpr std::uint64_t kBatchWaitMs = 8;
// At one read notice at most this many bytes are read from a web
// connection (a sign-in's line is far shorter); the rest waits for the
// next notice, so that a peer sending as fast as it can never keeps the
// others waiting.
constexpr size_t kReadBudget = 16 * 1024;

// What the engine asks of the sockets. Implemented by the front end over
// Windows Sockets, by fakes in the tests.
class EngineSockets {
  public:
    virtual ~EngineSockets() = default;

    struct Accepted {
        SocketId socket = 0;
        std::string peer; // the peer's address as text
        int error = 0;    // 0: accepted; kErrorWouldBlock: nobody waiting
    };
    // Takes the next connection waiting on the pool's listening socket
    // (kErrorWouldBlock when the pool has no listening socket); its notices
    // come once Watch is called.
    virtual Accepted Accept(Pool pool) = 0;

    struct Io {
        size_t count = 0; // bytes read or taken; 0 read: the peer closed its side
        int error = 0;    // 0, kErrorWouldBlock, or the failure
    };
    virtual Io Receive(SocketId socket, char *bytes, size_t capacity) = 0;
    virtual Io Send(SocketId socket, const char *bytes, size_t size) = 0;
    // Bytes that have arrived and are not read yet.
    virtual size_t Unread(SocketId socket) = 0;
    // Shuts the sending side (the reply is out).
    virtual void ShutSending(SocketId socket) = 0;
    // Shuts down and closes the socket; no further notices are wanted.
    virtual void Close(SocketId socket) = 0;
    // An accepted socket is kept: its notices are wanted from now on.
    virtual void Watch(SocketId, Pool) {}
    // Closes an accepted socket that was never watched (a newcomer turned
    // away), as cheaply as the system allows.
    virtual void Refuse(SocketId socket) { Close(socket); }
};

// Who is overdue is looked at again this often while anyone watches.
constexpr std::uint64_t kOverdueCheckMs = 60 * 1000;

class ConnectionEngine {
  public:
    // Failures go to status with the stage's label in front: "DoConnection: "
    // (accept) or "GetRequest: " (receive, deadline, ended to make room).
    // web makes the web pool's exchanges and the event stream's bytes.
    ConnectionEngine(EngineSockets &sockets, StatusLine &status, ExchangeMaker &web);
    ~ConnectionEngine();

    // The publisher has made the board anew (a batch, an edit of the
    // administrator, the daily reset, the overdue look): every watcher of
    // the event stream gets its event. A publication already told is not
    // told again.
    void Published(const Publisher &publisher);
    // An event for every watcher of the event stream (a roll call's
    // change); while lasting, a new watcher gets the latest at once.
    void Broadcast(const std::string &event, bool lasting);

    // A connection waits on the pool's listening socket.
    void AcceptNotice(Pool pool, std::uint64_t now);
    // A read or close notice named the socket. Whatever error the notice
    // carried, only what the socket itself answers is acted on.
    void ReadNotice(SocketId socket, std::uint64_t now);
    // The socket can take more bytes.
    void WriteNotice(SocketId socket, std::uint64_t now);
    // The time passes: deadlines, and connections left in a backlog.
    void Tick(std::uint64_t now);

    // True once a minute while anyone watches the event stream: time to
    // look again at who is overdue (Publisher::RefreshOverdue).
    bool OverdueCheckDue(std::uint64_t now);
    size_t WatcherCount() const { return watchers_.Count(); }

    // Whether a batch waits for its run: asked after each notice and tick.
    bool BatchPending() const { return batch_waiting_; }
    // Runs the batch when one is waiting and either no accept or read
    // notice is queued (notices_queued false) or its first request has
    // waited kBatchWaitMs; false when it should be asked again after the
    // queued notices. The batch: the complete requests applied in the order
    // their lines completed, one publication, then their connections
    // closed. result gets what the publication did; the watchers hear of it
    // when the caller tells Published.
    bool RunBatchWhenDue(std::uint64_t now, bool notices_queued, BoardContext &board,
                         Publisher &publisher, PublishResult &result);

    // Closes every open connection.
    void CloseAll();

    size_t OpenCount() const { return open_.size(); }
    // Newcomers turned away and not closed yet.
    size_t HeldCount() const { return held_.size(); }
    size_t OpenCount(Pool pool) const;
    // Connections accepted, and batches run, since the engine was made.
    unsigned long AcceptedCount() const { return accepted_; }
    unsigned long BatchCount() const { return batches_; }

  private:
    struct Open;
    void Handover(Open &open);
    void StartStream(Open &open);
    void ReadWatcher(SocketId socket);
    void SendWatchers(const std::vector<SocketId> &dropped, bool all, SocketId one = 0);
    Open *Find(SocketId socket);
    void TakeWaiting(Pool pool, std::uint64_t now);
    bool RoomToMake(Pool pool, std::uint64_t now) const;
    bool MakeRoom(Pool pool, const std::string &peer, std::uint64_t now);
    bool EndOldest(Pool pool, const std::string &peer, std::uint64_t now, std::uint64_t min_ms,
                   bool busy);
    bool IdleFor(const Open &open, std::uint64_t now, std::uint64_t min_ms) const;
    void Read(Open &open);
    void ReadExchange(Open &open);
    void SendExchange(Open &open);
    void Feed(Open &open, const char *bytes, size_t size);
    void Complete(Open &open);
    void Close(SocketId socket);
    void EndWithError(SocketId socket, const char *label, int code);
    void Report(const char *label, int code);

    EngineSockets &sockets_;
    StatusLine &status_;
    ExchangeMaker &web_;
    WatcherPool watchers_;
    std::string lasting_event_; // what a new watcher gets after the board
    std::uint64_t overdue_checked_ = 0;
    unsigned long told_ = 0; // the number of the last publication told
    std::vector<std::unique_ptr<Open>> open_;
    // Newcomers turned away, held until the deadline: socket, accepted at.
    std::vector<std::pair<SocketId, std::uint64_t>> held_;
    // A pool whose backlog may still hold connections (a burst was cut, or
    // the pool was full): taken when a batch frees slots and at each tick.
    bool backlog_[kPoolCount] = {false, false};
    unsigned long accepted_ = 0;
    unsigned long completions_ = 0;
    unsigned long batches_ = 0;
    bool batch_waiting_ = false;
    std::uint64_t batch_since_ = 0; // when the batch's first request completed
    std::uint64_t now_ = 0;         // the time of the event being handled
};
