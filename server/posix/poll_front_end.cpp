#include "server/posix/poll_front_end.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/engine/socket_error_text.h"
#include "server/engine/status_line.h"
#include "server/web/event_stream.h"
#include "server/posix/socket_codes.h"

namespace {

// The machine's IPv4 addresses as text, those of every interface.
void AddAddresses(std::vector<std::string> &names) {
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0) return;
    for (ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN];
        const sockaddr_in *address = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) names.push_back(text);
    }
    freeifaddrs(list);
}

} // namespace

std::uint64_t MonotonicMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec / 1000000);
}

PollFrontEnd::PollFrontEnd(StatusLine &status) : status_(status), engine_(*this, status, web_) {
    for (int pool = 0; pool < kPoolCount; ++pool) {
        listening_[pool] = -1;
        accept_armed_[pool] = false;
    }
}

PollFrontEnd::~PollFrontEnd() { CloseSockets(); }

void PollFrontEnd::Report(const char *label, int code) {
    char text[128];
    char error[64];
    SocketErrorText(code, error, sizeof error);
    CopyCut(text, label);
    AppendCut(text, error);
    status_.SetStatusText(text);
}

bool PollFrontEnd::OpenListener(const char *port, Pool pool) {
    int &listening = listening_[static_cast<int>(pool)];
    // Port 0 would let the system choose one that nobody knows.
    if (pool == Pool::Web && ParsePort(port) == 0) {
        Report("Listen: ", kErrorInvalid);
        return false;
    }
    listening = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listening < 0) {
        Report("Listen: ", WinsockCode(errno));
        return false;
    }
    // A restarted server binds at once although its last connections wait
    // out TIME_WAIT on the port (on Linux this lets no one share the port).
    int on = 1;
    setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(ParsePort(port));
    // The system's largest backlog, so that a crowd signing in at once
    // queues instead of being refused.
    if (bind(listening, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listening, SOMAXCONN) != 0) {
        Report("Listen: ", WinsockCode(errno));
        close(listening);
        listening = -1;
        return false;
    }
    accept_armed_[static_cast<int>(pool)] = true;
    return true;
}

void PollFrontEnd::RollCallChanged(const std::string &json, bool running) {
    std::string event;
    AppendRollCallEvent(event, json);
    engine_.Broadcast(event, running);
}

void PollFrontEnd::AllowWebSignIn(const ServerSettings &settings, WebSignKey &key, Clock &clock) {
    std::vector<std::string> names;
    char host[256];
    if (gethostname(host, sizeof host) == 0) {
        host[sizeof host - 1] = '\0';
        names.push_back(host);
        // The fully qualified name, as the resolver gives it.
        addrinfo hints = {};
        hints.ai_family = AF_INET;
        hints.ai_flags = AI_CANONNAME;
        addrinfo *found = nullptr;
        if (getaddrinfo(host, nullptr, &hints, &found) == 0) {
            if (found->ai_canonname && std::string(found->ai_canonname) != host)
                names.push_back(found->ai_canonname);
            freeaddrinfo(found);
        }
    }
    AddAddresses(names);
    web_.AllowWebSignIn(settings, key, names, clock);
}

std::vector<pollfd> PollFrontEnd::Armed(int wake_fd) const {
    std::vector<pollfd> fds;
    if (wake_fd >= 0) fds.push_back({wake_fd, POLLIN, 0});
    for (int pool = 0; pool < kPoolCount; ++pool)
        if (listening_[pool] >= 0 && accept_armed_[pool])
            fds.push_back({listening_[pool], POLLIN, 0});
    // A socket with no notice to give is left out: poll would report its
    // hang-up over and over.
    for (const auto &[fd, watch] : open_) {
        short events = static_cast<short>((watch.read ? POLLIN : 0) | (watch.write ? POLLOUT : 0));
        if (events) fds.push_back({fd, events, 0});
    }
    return fds;
}

void PollFrontEnd::Notify(const pollfd &ready, std::uint64_t now) {
    for (int pool = 0; pool < kPoolCount; ++pool) {
        if (ready.fd != listening_[pool] || !accept_armed_[pool]) continue;
        accept_armed_[pool] = false;
        engine_.AcceptNotice(static_cast<Pool>(pool), now);
        return;
    }
    // The engine may have closed it (and a new one may have its number)
    // while it handled an earlier notice of this round.
    auto found = open_.find(ready.fd);
    if (found == open_.end()) return;
    bool writable = (ready.revents & (POLLOUT | POLLERR | POLLHUP)) && found->second.write;
    if ((ready.revents & (POLLIN | POLLERR | POLLHUP)) && found->second.read) {
        found->second.read = false;
        engine_.ReadNotice(static_cast<SocketId>(ready.fd), now);
    }
    found = open_.find(ready.fd);
    if (writable && found != open_.end() && found->second.write) {
        found->second.write = false;
        engine_.WriteNotice(static_cast<SocketId>(ready.fd), now);
    }
}

int PollFrontEnd::Wait(int timeout_ms, int wake_fd, bool &woken) {
    std::uint64_t now = MonotonicMs();
    if (next_tick_ == 0) next_tick_ = now + kSweepMs;
    int until_tick = next_tick_ > now ? static_cast<int>(next_tick_ - now) : 0;
    if (until_tick < timeout_ms) timeout_ms = until_tick;
    std::vector<pollfd> fds = Armed(wake_fd);
    int ready = poll(fds.data(), fds.size(), timeout_ms);
    woken = false;
    int notices = 0;
    now = MonotonicMs();
    for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
        if (fds[i].revents == 0) continue;
        if (wake_fd >= 0 && i == 0) {
            woken = true;
        } else {
            Notify(fds[i], now);
            ++notices;
        }
    }
    if (now >= next_tick_) {
        next_tick_ = now + kSweepMs;
        engine_.Tick(now);
    }
    return notices;
}

bool PollFrontEnd::NoticesReady() const {
    std::vector<pollfd> fds = Armed(-1);
    return poll(fds.data(), fds.size(), 0) > 0;
}

bool PollFrontEnd::RunBatch(BoardContext &board, Publisher &publisher, PublishResult &result,
                            bool finishing) {
    if (!engine_.BatchPending()) return false;
    bool queued = !finishing && NoticesReady();
    return engine_.RunBatchWhenDue(MonotonicMs(), queued, board, publisher, result);
}

EngineSockets::Accepted PollFrontEnd::Accept(Pool pool) {
    Accepted accepted;
    int listening = listening_[static_cast<int>(pool)];
    if (listening < 0) {
        accepted.error = kErrorWouldBlock;
        return accepted;
    }
    // As on Windows, accepting again lets the next accept notice come.
    accept_armed_[static_cast<int>(pool)] = true;
    sockaddr_in peer = {};
    socklen_t peer_size = sizeof peer;
    int fd = accept4(listening, reinterpret_cast<sockaddr *>(&peer), &peer_size,
                     SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        accepted.error = WinsockCode(errno);
        return accepted;
    }
    char text[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    accepted.socket = static_cast<SocketId>(fd);
    accepted.peer = text;
    // A browser that watches the board and stops reading is given up once
    // its events pile up in the engine: a bounded send buffer keeps the
    // system from taking megabytes for it first.
    if (pool == Pool::Web) {
        int buffer = 32 * 1024;
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    }
    Watch watch;
    watch.pool = pool;
    open_[fd] = watch;
    return accepted;
}

EngineSockets::Io PollFrontEnd::Receive(SocketId socket, char *bytes, size_t capacity) {
    Io io;
    int fd = static_cast<int>(socket);
    auto found = open_.find(fd);
    if (found != open_.end()) found->second.read = true;
    ssize_t got;
    do {
        got = recv(fd, bytes, capacity, 0);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        io.error = WinsockCode(errno);
    else
        io.count = static_cast<size_t>(got);
    return io;
}

EngineSockets::Io PollFrontEnd::Send(SocketId socket, const char *bytes, size_t size) {
    Io io;
    int fd = static_cast<int>(socket);
    ssize_t sent;
    do {
        sent = send(fd, bytes, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent >= 0) {
        io.count = static_cast<size_t>(sent);
        return io;
    }
    io.error = WinsockCode(errno);
    auto found = open_.find(fd);
    if (io.error == kErrorWouldBlock && found != open_.end()) found->second.write = true;
    return io;
}

size_t PollFrontEnd::Unread(SocketId socket) {
    int waiting = 0;
    if (ioctl(static_cast<int>(socket), FIONREAD, &waiting) != 0 || waiting < 0) return 0;
    return static_cast<size_t>(waiting);
}

void PollFrontEnd::ShutSending(SocketId socket) { shutdown(static_cast<int>(socket), SHUT_WR); }

void PollFrontEnd::Close(SocketId socket) {
    int fd = static_cast<int>(socket);
    open_.erase(fd);
    shutdown(fd, SHUT_RDWR);
    close(fd);
}

void PollFrontEnd::CloseSockets() {
    for (int pool = 0; pool < kPoolCount; ++pool) {
        if (listening_[pool] < 0) continue;
        close(listening_[pool]);
        listening_[pool] = -1;
    }
    engine_.CloseAll();
}

int PollFrontEnd::ListeningPort(Pool pool) const {
    int listening = listening_[static_cast<int>(pool)];
    if (listening < 0) return 0;
    sockaddr_in address = {};
    socklen_t size = sizeof address;
    if (getsockname(listening, reinterpret_cast<sockaddr *>(&address), &size) != 0) return 0;
    return ntohs(address.sin_port);
}
