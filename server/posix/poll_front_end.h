// The connection engine's POSIX side: the listening sockets (the sign-in
// port and, when one is set, the web port), accept, recv and send on
// non-blocking sockets, their readiness from poll handed to the engine as
// the same notices the Windows side posts, and the time. Every decision
// is the engine's.
//
// A socket's notices follow the Windows rules, so that the engine sees one
// behaviour on both: once a listening socket's accept notice is given, the
// next waits until the engine accepts again; once a read notice is given,
// the next waits until it reads again; a notice that it can send comes
// only after a send that would have blocked.
#pragma once
#include <poll.h>

#include <cstdint>
#include <map>
#include <vector>

#include "server/engine/connection_engine.h"
#include "server/web/web_port.h"

class Clock;
class StatusLine;
class Publisher;
struct BoardContext;
struct ServerSettings;

// Milliseconds on the monotonic clock.
std::uint64_t MonotonicMs();

// The engine's tick comes this often.
constexpr int kSweepMs = 100;

class PollFrontEnd : private EngineSockets {
  public:
    // Failures go to status with the stage's label in front ("Listen: " for
    // opening a listener; the engine's for the rest).
    explicit PollFrontEnd(StatusLine &status);
    ~PollFrontEnd() override;

    // Opens the pool's listening socket on the port text (all local
    // addresses). False, with the failure on the status line, when it
    // cannot; a web port text that holds no port number is refused.
    bool OpenListener(const char *port, Pool pool = Pool::SignIn);

    // What the web port serves, and the sign-in rules with this machine's
    // own names (host name and addresses) as those a Host may give.
    void ServeFrom(const Publisher &publisher) { web_.ServeFrom(publisher); }
    // Told after every publication: the watchers get their events.
    void Published(const Publisher &publisher) { engine_.Published(publisher); }
    void AllowWebSignIn(const ServerSettings &settings, WebSignKey &key, Clock &clock);
    // Routes of the web port beside the board's own (the roll call's, the
    // administration's), and the roll call's changes to the watchers of
    // the event stream.
    void ServeRoutes(WebRoutes &routes) { web_.ServeRoutes(routes); }
    void RollCallChanged(const std::string &json, bool running);

    // Waits up to timeout_ms for notices (and for wake_fd, a descriptor to
    // watch besides the sockets, -1 for none) and hands every one that
    // came to the engine; the engine's tick when its time has come. The
    // number of notices given; woken tells whether wake_fd is readable.
    int Wait(int timeout_ms, int wake_fd, bool &woken);
    // Runs the batch when one waits and is due: no notice ready, or it
    // waited long enough (always, when finishing). False when none ran.
    bool RunBatch(BoardContext &board, Publisher &publisher, PublishResult &result,
                  bool finishing = false);
    bool BatchPending() const { return engine_.BatchPending(); }
    // Once a minute while anyone watches: time to look again at who is
    // overdue.
    bool OverdueCheckDue() { return engine_.OverdueCheckDue(MonotonicMs()); }

    // Shuts down and closes the listening sockets and every connection.
    void CloseSockets();

    int ListeningPort(Pool pool = Pool::SignIn) const;
    size_t OpenCount() const { return engine_.OpenCount(); }
    size_t WatcherCount() const { return engine_.WatcherCount(); }

  private:
    struct Watch {
        Pool pool = Pool::SignIn;
        bool read = true;   // a read (or accept) notice may be given
        bool write = false; // a send would have blocked: tell when it can
    };

    Accepted Accept(Pool pool) override;
    Io Receive(SocketId socket, char *bytes, size_t capacity) override;
    Io Send(SocketId socket, const char *bytes, size_t size) override;
    size_t Unread(SocketId socket) override;
    void ShutSending(SocketId socket) override;
    void Close(SocketId socket) override;

    void Report(const char *label, int code);
    // The descriptors with a notice to give, wake_fd first when >= 0.
    std::vector<pollfd> Armed(int wake_fd) const;
    void Notify(const pollfd &ready, std::uint64_t now);
    bool NoticesReady() const;

    StatusLine &status_;
    WebPort web_; // the web pool's protocol: before the engine, which uses it
    ConnectionEngine engine_;
    int listening_[kPoolCount];     // by pool; -1: none
    bool accept_armed_[kPoolCount]; // by pool
    std::map<int, Watch> open_;     // the accepted sockets
    std::uint64_t next_tick_ = 0;
};
