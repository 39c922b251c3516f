// The connection engine's Windows side: the listening sockets (the sign-in
// port and, when one is set, the web port), accept, recv and send on
// non-blocking sockets, their notices as window messages, and the timer
// that gives the engine the time. Every decision is the engine's.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "server/engine/connection_engine.h"
#include "server/web/web_port.h"

class Clock;
class StatusLine;
class Publisher;
struct ServerSettings;
struct BoardContext;

constexpr UINT MSG_LISTEN = WM_USER + 1; // posted once at start-up
constexpr UINT MSG_ACCEPT = WM_USER + 2; // FD_ACCEPT; wParam: the listening socket
constexpr UINT MSG_SOCKET = WM_USER + 3; // an open connection's notices; wParam: its socket

// The timer that gives the engine the time (deadlines, waiting backlogs).
constexpr UINT_PTR kSweepTimer = 2;
constexpr UINT kSweepMs = 100;

class SocketFrontEnd : private EngineSockets {
  public:
    // Failures go to status with the stage's label in front ("Listen: " for
    // opening a listener; the engine's for the rest).
    explicit SocketFrontEnd(StatusLine &status);

    // Opens the pool's listening socket on the port text (all local
    // addresses), its notices going to window; the timer starts. A web port
    // text that holds no port number is refused as invalid.
    void OpenListener(HWND window, const char *port, Pool pool = Pool::SignIn);

    // What the web port serves.
    void ServeFrom(const Publisher &publisher) { web_.ServeFrom(publisher); }
    // Told after every publication: the watchers get their events.
    void Published(const Publisher &publisher) { engine_.Published(publisher); }
    // Lets browsers sign in as the settings say, with this machine's own
    // names (computer name, DNS names, addresses) as those a request's
    // Host may give.
    void AllowWebSignIn(const ServerSettings &settings, WebSignKey &key, Clock &clock);
    // Routes of the web port beside the board's own (the roll call's, the
    // administration's), and the roll call's changes to the watchers of
    // the event stream.
    void ServeRoutes(WebRoutes &routes) { web_.ServeRoutes(routes); }
    void RollCallChanged(const std::string &json, bool running);
    // Once a minute while anyone watches: time to look again at who is
    // overdue.
    bool OverdueCheckDue() { return engine_.OverdueCheckDue(GetTickCount64()); }
    size_t WatcherCount() const { return engine_.WatcherCount(); }

    // MSG_ACCEPT, MSG_SOCKET, the timer.
    void AcceptMessage(WPARAM listening);
    void SocketMessage(WPARAM socket, LPARAM event);
    void TimerMessage();
    // Asked after each notice and tick: whether complete requests wait for
    // their batch.
    bool BatchPending() const { return engine_.BatchPending(); }
    // Runs the pending batch once no accept or read notice is queued (or
    // the batch has waited long enough); ran is false when it waits for
    // the queued notices, after which it is asked for again.
    PublishResult RunBatch(BoardContext &board, Publisher &publisher, bool &ran);

    // Shuts down and closes the listening sockets and every open connection.
    void CloseSockets();
    // Closes the listening sockets only: no connection is taken any more,
    // those open go on (a service's stop lets them finish).
    void StopAccepting();
    // Runs the waiting batch at once, whatever notices are queued: the
    // last batch of a stop.
    PublishResult FinishBatch(BoardContext &board, Publisher &publisher);

    // The port the pool's listening socket is bound to, 0 when there is none.
    int ListeningPort(Pool pool = Pool::SignIn) const;
    SOCKET ListeningSocket(Pool pool = Pool::SignIn) const {
        return listening_[static_cast<int>(pool)];
    }
    size_t OpenCount() const { return engine_.OpenCount(); }
    unsigned long AcceptedCount() const { return engine_.AcceptedCount(); }
    // Batches run (one save each when they change the board).
    unsigned long BatchCount() const { return engine_.BatchCount(); }

  private:
    Accepted Accept(Pool pool) override;
    Io Receive(SocketId socket, char *bytes, size_t capacity) override;
    Io Send(SocketId socket, const char *bytes, size_t size) override;
    size_t Unread(SocketId socket) override;
    void ShutSending(SocketId socket) override;
    void Close(SocketId socket) override;
    void Watch(SocketId socket, Pool pool) override;
    void Refuse(SocketId socket) override;

    void Report(const char *label, int code);
    void TickWhenDue();

    StatusLine &status_;
    WebPort web_; // the web pool's protocol: before the engine, which uses it
    ConnectionEngine engine_;
    HWND window_ = nullptr;
    SOCKET listening_[kPoolCount]; // by pool; INVALID_SOCKET: none
    ULONGLONG ticked_ = 0;         // the engine's last tick
};
