// The benchmarks' load driver, run natively against a server under Wine.
//
//   bench_driver board DAT_FILE USERS
//       writes a data file of USERS users (user000, user001, ...), all in.
//   bench_driver rush PORT USERS TAG DAT_FILE PAGE_FILE
//       USERS clients connect at the same moment, client i signing user i
//       out to destination TAG-i; then checks that the data file and the
//       page hold every change.
//   bench_driver throughput PORT USERS SECONDS
//       back-to-back sign-ins, one connection each, for SECONDS seconds.
//   bench_driver compare PORT_A PORT_B USERS SECONDS SLICE_MS
//       the same against two servers in turns of SLICE_MS, SECONDS each.
//   bench_driver requests PORT USERS COUNT [PARALLEL]
//       COUNT back-to-back sign-ins (the memory benchmark's load), from
//       PARALLEL members at once (1 unless given).
//   bench_driver slow PORT USERS SILENT TRICKLING
//       SILENT connections that send nothing and TRICKLING ones that send
//       one byte a second are open; then one ordinary sign-out is timed.
//   bench_driver hold PORT COUNT SECONDS [FROM]
//       keeps COUNT idle connections open for SECONDS, opening a new one
//       for each the server ends (the memory benchmark's full table); from
//       the loopback address FROM (127.0.0.2, another host) when given.
//   bench_driver fsync DIR
//       the time one fsync of a small file takes in DIR.
//   bench_driver watchers PORT WEB_PORT USERS COUNT ROUNDS
//       ROUNDS sign-outs timed with no watcher; then COUNT browsers watch
//       the board's event stream, and for ROUNDS sign-outs the time from
//       each one's reply to the event reaching the last watcher is taken,
//       beside the sign-out's own time.
//   bench_driver attack PORT WEB_PORT USERS quiet|stream|hoard|crowd COUNT ROUNDS
//       ROUNDS office sign-ins (and as many GET /board.json on the web
//       port) from 127.0.0.1, each timed, while a stranger attacks: quiet,
//       none; stream, COUNT connections of 127.0.0.2 that open the event
//       stream and then send bytes as fast as they can (connecting again
//       when ended); hoard, COUNT silent sockets of 127.0.0.2; crowd, COUNT
//       silent sockets of sixteen hosts (127.0.0.3 to .18). The sockets
//       are shared between the two ports and connect again when ended.
//   bench_driver rollcall WEB_PORT KEY USERS COUNT ROUNDS
//       COUNT browsers watch the event stream; a roll call is started with
//       the marshal key KEY, and for ROUNDS marks the time from sending
//       each mark to its "rollcall" event reaching the last watcher is
//       taken, beside the mark's own reply time; then the roll call ends.
//
// The crowds of the modes (the rush, the watchers, the parallel requests,
// the slow clients) come from 32 loopback hosts (127.0.0.100 to .131), as
// an office's PCs would: the server gives each address a share of its
// connections. Every mode prints "key=value" lines for scripts/bench; the exit status
// is 0 unless the mode could not run at all.
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <thread>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>
#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;

int Usage();

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string UserName(int i) {
    char name[16];
    snprintf(name, sizeof name, "user%03d", i);
    return name;
}

bool ReadFile(const char *path, std::string &out) {
    FILE *file = fopen(path, "rb");
    if (!file) return false;
    char buffer[65536];
    size_t got;
    out.clear();
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) out.append(buffer, got);
    fclose(file);
    return true;
}

int WriteBoard(const char *path, int users) {
    FILE *file = fopen(path, "wb");
    if (!file) {
        perror(path);
        return 1;
    }
    for (int i = 0; i < users; ++i) fprintf(file, "%s-1- -12:00- -\r\n", UserName(i).c_str());
    return fclose(file) == 0 ? 0 : 1;
}

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// The loopback host of a crowd's member i.
std::string CrowdHost(int i) { return "127.0.0." + std::to_string(100 + i % 32); }

// Binds fd to the loopback address from (none: the system's choice).
bool BindFrom(int fd, const char *from) {
    if (!from) return true;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    return inet_pton(AF_INET, from, &local.sin_addr) == 1 &&
           bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0;
}

// One blocking request: connect, send, read until the server closes.
// Returns the reply (empty when the connection failed).
std::string Exchange(int port, const std::string &request, const char *from = nullptr) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return "";
    if (!BindFrom(fd, from)) {
        close(fd);
        return "";
    }
    timeval timeout{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in address = Loopback(port);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        char buffer[512];
        ssize_t got;
        while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, got);
    }
    close(fd);
    return reply;
}

std::string SignIn(int user, int serial) {
    char request[64];
    snprintf(request, sizeof request, "#i%s-%02d:%02d\n\r", UserName(user).c_str(),
             serial / 60 % 24, serial % 60);
    return request;
}

struct RushClient {
    int fd = -1;
    bool sent = false;
    bool done = false;
    std::string request;
    std::string reply;
    double latency_ms = 0;
};

double Percentile(std::vector<double> sorted, double fraction) {
    if (sorted.empty()) return 0;
    std::sort(sorted.begin(), sorted.end());
    size_t rank = static_cast<size_t>(fraction * sorted.size() + 0.999999);
    if (rank < 1) rank = 1;
    if (rank > sorted.size()) rank = sorted.size();
    return sorted[rank - 1];
}

int Rush(int port, int users, const char *tag, const char *dat_path, const char *page_path) {
    std::vector<RushClient> clients(users);
    for (int i = 0; i < users; ++i) {
        char request[96];
        snprintf(request, sizeof request, "#o%s-07:%02d-%s %d-08:00\n\r", UserName(i).c_str(),
                 i % 60, tag, i);
        clients[i].request = request;
    }
    sockaddr_in address = Loopback(port);
    Clock::time_point start = Clock::now();
    for (size_t i = 0; i < clients.size(); ++i) {
        RushClient &client = clients[i];
        client.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (client.fd >= 0 && !BindFrom(client.fd, CrowdHost(static_cast<int>(i)).c_str())) {
            close(client.fd);
            client.fd = -1;
        }
        if (client.fd < 0) {
            client.done = true;
            continue;
        }
        if (connect(client.fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 &&
            errno != EINPROGRESS) {
            client.done = true;
            client.latency_ms = MillisecondsSince(start);
        }
    }
    const double deadline_ms = 60000;
    for (;;) {
        std::vector<pollfd> waits;
        std::vector<int> owners;
        for (int i = 0; i < users; ++i) {
            if (clients[i].done) continue;
            waits.push_back(
                {clients[i].fd, static_cast<short>(clients[i].sent ? POLLIN : POLLOUT), 0});
            owners.push_back(i);
        }
        if (waits.empty() || MillisecondsSince(start) > deadline_ms) break;
        if (poll(waits.data(), waits.size(), 100) < 0 && errno != EINTR) break;
        for (size_t k = 0; k < waits.size(); ++k) {
            RushClient &client = clients[owners[k]];
            if (!waits[k].revents) continue;
            if (!client.sent) {
                int error = 0;
                socklen_t length = sizeof error;
                getsockopt(client.fd, SOL_SOCKET, SO_ERROR, &error, &length);
                if (error != 0 ||
                    send(client.fd, client.request.data(), client.request.size(), MSG_NOSIGNAL) !=
                        static_cast<ssize_t>(client.request.size())) {
                    client.done = true;
                    client.latency_ms = MillisecondsSince(start);
                    continue;
                }
                client.sent = true;
                continue;
            }
            char buffer[512];
            ssize_t got = recv(client.fd, buffer, sizeof buffer, 0);
            if (got > 0) {
                client.reply.append(buffer, got);
                continue;
            }
            if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            client.done = true;
            client.latency_ms = MillisecondsSince(start);
        }
    }
    int ok = 0, unfinished = 0;
    double last_ms = 0;
    std::vector<double> latencies;
    for (auto &client : clients) {
        if (!client.done) ++unfinished;
        if (client.fd >= 0) close(client.fd);
        if (client.done && client.reply == "0\n\r") {
            ++ok;
            latencies.push_back(client.latency_ms);
        }
        if (client.done) last_ms = std::max(last_ms, client.latency_ms);
    }
    if (unfinished) last_ms = MillisecondsSince(start);

    // Every change on disk: each user's line in the data file and row in
    // the page carry the destination its client sent.
    std::string dat, page;
    int in_dat = 0, in_page = 0;
    if (ReadFile(dat_path, dat)) {
        for (int i = 0; i < users; ++i) {
            char line[96];
            snprintf(line, sizeof line, "%s-0-%s %d-07:%02d-08:00-\r\n", UserName(i).c_str(), tag,
                     i, i % 60);
            if (dat.find(line) != std::string::npos) ++in_dat;
        }
    }
    if (ReadFile(page_path, page)) {
        for (int i = 0; i < users; ++i) {
            // The user's row: from its name cell to the row's end.
            std::string name_cell = "<TH ALIGN=LEFT>" + UserName(i) + "</TH>";
            size_t from = page.find(name_cell);
            if (from == std::string::npos) continue;
            size_t to = page.find("</TR>", from);
            std::string row =
                page.substr(from, to == std::string::npos ? std::string::npos : to - from);
            char time_cell[32], destination_cell[64];
            snprintf(time_cell, sizeof time_cell, "<TH>07:%02d</TH>", i % 60);
            snprintf(destination_cell, sizeof destination_cell, "<TH>%s %d</TH>", tag, i);
            if (row.find(time_cell) != std::string::npos &&
                row.find(destination_cell) != std::string::npos)
                ++in_page;
        }
    }
    printf("rush_clients=%d\nrush_ok=%d\nrush_unfinished=%d\nrush_last_ms=%.0f\n", users, ok,
           unfinished, last_ms);
    printf("rush_median_ms=%.0f\nrush_p99_ms=%.0f\n", Percentile(latencies, 0.5),
           Percentile(latencies, 0.99));
    printf("rush_in_dat=%d\nrush_in_page=%d\n", in_dat, in_page);
    return 0;
}

int Throughput(int port, int users, double seconds) {
    // A short warm-up, then as many requests as fit in the time.
    for (int i = 0; i < 20; ++i) Exchange(port, SignIn(i % users, i));
    int done = 0, failed = 0;
    Clock::time_point start = Clock::now();
    while (MillisecondsSince(start) < seconds * 1000) {
        std::string reply = Exchange(port, SignIn(done % users, done));
        if (reply == "0\n\r")
            ++done;
        else
            ++failed;
        if (failed > 20) break;
    }
    double elapsed = MillisecondsSince(start) / 1000;
    printf("throughput_requests=%d\nthroughput_failed=%d\nthroughput_rps=%.1f\n", done, failed,
           done / elapsed);
    return 0;
}

// Throughput of two servers measured in turns of slice_ms each, so that
// what else the machine does falls on both alike.
int Compare(int port_a, int port_b, int users, double seconds, int slice_ms) {
    for (int i = 0; i < 20; ++i) {
        Exchange(port_a, SignIn(i % users, i));
        Exchange(port_b, SignIn(i % users, i));
    }
    const int ports[2] = {port_a, port_b};
    int done[2] = {0, 0}, failed[2] = {0, 0};
    double spent_ms[2] = {0, 0};
    for (int turn = 0; spent_ms[0] + spent_ms[1] < 2 * seconds * 1000; ++turn) {
        int k = turn % 2;
        Clock::time_point start = Clock::now();
        while (MillisecondsSince(start) < slice_ms && failed[k] <= 20) {
            if (Exchange(ports[k], SignIn(done[k] % users, done[k])) == "0\n\r")
                ++done[k];
            else
                ++failed[k];
        }
        spent_ms[k] += MillisecondsSince(start);
        if (failed[0] > 20 || failed[1] > 20) break;
    }
    for (int k = 0; k < 2; ++k)
        printf("%c_requests=%d\n%c_failed=%d\n%c_rps=%.1f\n", 'a' + k, done[k], 'a' + k, failed[k],
               'a' + k, spent_ms[k] > 0 ? done[k] * 1000 / spent_ms[k] : 0.0);
    return 0;
}

int Requests(int port, int users, int count, int parallel) {
    std::atomic<int> failed{0}, next{0};
    Clock::time_point start = Clock::now();
    std::vector<std::thread> members;
    for (int m = 0; m < parallel; ++m)
        members.emplace_back([&, m] {
            const std::string from = CrowdHost(m);
            for (int i = next++; i < count; i = next++)
                if (Exchange(port, SignIn(i % users, i), from.c_str()) != "0\n\r") ++failed;
        });
    for (std::thread &member : members) member.join();
    printf("requests_sent=%d\nrequests_failed=%d\nrequests_seconds=%.1f\n", count, failed.load(),
           MillisecondsSince(start) / 1000);
    return 0;
}

// The time one fsync of a small file takes in dir (the median of 50).
int FsyncTime(const char *dir) {
    std::string path = std::string(dir) + "/fsync-probe.tmp";
    int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) {
        perror(path.c_str());
        return 1;
    }
    std::vector<double> times;
    for (int i = 0; i < 50; ++i) {
        char line[100];
        int n = snprintf(line, sizeof line, "user%03d-1- -12:00- -\r\n", i);
        if (write(fd, line, n) != n) break;
        Clock::time_point start = Clock::now();
        if (fsync(fd) != 0) break;
        times.push_back(MillisecondsSince(start));
    }
    close(fd);
    unlink(path.c_str());
    printf("fsync_ms=%.3f\n", Percentile(times, 0.5));
    return times.size() == 50 ? 0 : 1;
}

int Connected(int port, const char *from = nullptr) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    if (!BindFrom(fd, from)) {
        close(fd);
        return -1;
    }
    sockaddr_in address = Loopback(port);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int Slow(int port, int users, int silent, int trickling) {
    std::vector<int> quiet, slow;
    for (int i = 0; i < silent; ++i) quiet.push_back(Connected(port, CrowdHost(i).c_str()));
    for (int i = 0; i < trickling; ++i)
        slow.push_back(Connected(port, CrowdHost(silent + i).c_str()));
    const std::string trickle = "#i" + UserName(0) + "-07:00\n\r";
    // One byte a second on each slow connection, the ordinary request in
    // the middle of the second second.
    for (size_t byte = 0; byte < 2; ++byte) {
        for (int fd : slow)
            if (fd >= 0) send(fd, trickle.data() + byte, 1, MSG_NOSIGNAL);
        if (byte == 0) usleep(1000 * 1000);
    }
    usleep(500 * 1000);
    Clock::time_point start = Clock::now();
    std::string reply = Exchange(port, "#o" + UserName(users - 1) + "-10:00-Bank-11:00\n\r");
    double ms = MillisecondsSince(start);
    int opened = 0;
    for (int fd : quiet) opened += fd >= 0;
    for (int fd : slow) opened += fd >= 0;
    printf("slow_open=%d\nslow_ok=%d\nslow_ms=%.1f\n", opened, reply == "0\n\r" ? 1 : 0, ms);
    for (int fd : quiet)
        if (fd >= 0) close(fd);
    for (int fd : slow)
        if (fd >= 0) close(fd);
    return 0;
}

volatile sig_atomic_t g_stop = 0;
void Stop(int) { g_stop = 1; }

int Hold(int port, int count, double seconds, const char *from) {
    signal(SIGTERM, Stop);
    std::vector<pollfd> fds;
    for (int i = 0; i < count; ++i) fds.push_back(pollfd{Connected(port, from), POLLIN, 0});
    int reopened = 0;
    Clock::time_point start = Clock::now();
    while (!g_stop && MillisecondsSince(start) < seconds * 1000) {
        poll(fds.data(), fds.size(), 100);
        for (pollfd &p : fds) {
            if (p.fd >= 0 && !(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[64];
            if (p.fd >= 0 && recv(p.fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) continue;
            if (p.fd >= 0) close(p.fd);
            p.fd = Connected(port, from);
            p.revents = 0;
            ++reopened;
        }
    }
    for (pollfd &p : fds)
        if (p.fd >= 0) close(p.fd);
    printf("hold_reopened=%d\n", reopened);
    return 0;
}

// A member whose line comes delay_ms after its connect (a busy PC at
// logon), tries times in a row: how many were answered "0\n\r".
int Late(int port, int users, int tries, int delay_ms) {
    int answered = 0;
    for (int i = 0; i < tries; ++i) {
        int fd = Connected(port);
        if (fd < 0) continue;
        timeval timeout{10, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        usleep(delay_ms * 1000);
        char request[64];
        snprintf(request, sizeof request, "#o%s-09:%02d-Late-10:00\n\r",
                 UserName(users - 2).c_str(), i % 60);
        std::string reply;
        if (send(fd, request, strlen(request), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(strlen(request))) {
            char buffer[64];
            ssize_t got;
            while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, got);
        }
        close(fd);
        answered += reply == "0\n\r";
    }
    printf("late_tries=%d\nlate_ok=%d\n", tries, answered);
    return 0;
}

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A watcher: connected, "GET /events" sent, what has arrived.
struct Watcher {
    int fd = -1;
    std::string bytes;
    size_t events = 0;    // "event: board" lines seen
    size_t rollcalls = 0; // "event: rollcall" lines seen
};

// Reads what arrived on the watchers (non-blocking) and counts events.
void ReadWatchers(std::vector<Watcher> &watchers) {
    for (Watcher &w : watchers) {
        if (w.fd < 0) continue;
        char buffer[65536];
        for (;;) {
            ssize_t got = recv(w.fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got <= 0) {
                if (got == 0) {
                    close(w.fd);
                    w.fd = -1;
                }
                break;
            }
            w.bytes.append(buffer, static_cast<size_t>(got));
        }
        size_t at;
        while ((at = w.bytes.find("event: ")) != std::string::npos) {
            size_t end = w.bytes.find('\n', at);
            if (end == std::string::npos) break;
            std::string name = w.bytes.substr(at + 7, end - at - 7);
            if (name == "board") ++w.events;
            if (name == "rollcall") ++w.rollcalls;
            w.bytes.erase(0, end + 1);
        }
    }
}

int Watchers(int port, int web_port, int users, int count, int rounds) {
    auto sign_out = [&](int round) {
        Clock::time_point start = Clock::now();
        std::string line =
            "#o" + UserName(round % users) + "-10:00-Watch " + std::to_string(round) + "-11:00\n\r";
        std::string reply = Exchange(port, line);
        return reply == "0\n\r" ? MillisecondsSince(start) : -1.0;
    };
    std::vector<double> plain;
    int failed = 0;
    for (int i = 0; i < rounds; ++i) {
        double ms = sign_out(i);
        if (ms < 0)
            ++failed;
        else
            plain.push_back(ms);
        usleep(20 * 1000);
    }
    std::vector<Watcher> watchers(count);
    for (size_t i = 0; i < watchers.size(); ++i) {
        Watcher &w = watchers[i];
        w.fd = Connected(web_port, CrowdHost(static_cast<int>(i)).c_str());
        const char *get = "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        if (w.fd >= 0) send(w.fd, get, strlen(get), MSG_NOSIGNAL);
    }
    // Each has its first event (the board as it stands).
    Clock::time_point wait = Clock::now();
    auto all_have = [&](size_t n) {
        for (const Watcher &w : watchers)
            if (w.fd < 0 || w.events < n) return false;
        return true;
    };
    while (!all_have(1) && MillisecondsSince(wait) < 10000) {
        usleep(2000);
        ReadWatchers(watchers);
    }
    int connected = 0;
    for (const Watcher &w : watchers) connected += w.fd >= 0 && w.events >= 1;
    std::vector<double> with, spread;
    for (int i = 0; i < rounds; ++i) {
        size_t before = 0;
        for (const Watcher &w : watchers) before = std::max(before, w.events);
        Clock::time_point start = Clock::now();
        double ms = sign_out(rounds + i);
        double replied = MillisecondsSince(start);
        if (ms < 0) {
            ++failed;
            continue;
        }
        with.push_back(ms);
        while (!all_have(before + 1) && MillisecondsSince(start) < 5000) {
            ReadWatchers(watchers);
            if (!all_have(before + 1)) usleep(200);
        }
        if (all_have(before + 1))
            spread.push_back(MillisecondsSince(start) - replied);
        else
            ++failed;
        usleep(20 * 1000);
    }
    printf("watch_connected=%d\nwatch_plain_ms=%.1f\nwatch_signin_ms=%.1f\n"
           "watch_last_event_ms=%.1f\nwatch_last_event_max_ms=%.1f\nwatch_failed=%d\n",
           connected, Median(plain), Median(with), Median(spread),
           spread.empty() ? -1.0 : *std::max_element(spread.begin(), spread.end()), failed);
    for (Watcher &w : watchers)
        if (w.fd >= 0) close(w.fd);
    return 0;
}

// A roll call's command: its HTTP status (-1 when none came back).
int RollCallPost(int web_port, const std::string &key, const std::string &body) {
    std::string reply =
        Exchange(web_port, "POST /rollcall HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                           "Content-Type: application/json\r\nAuthorization: Bearer " +
                               key + "\r\nContent-Length: " + std::to_string(body.size()) +
                               "\r\n\r\n" + body);
    return reply.compare(0, 9, "HTTP/1.1 ") == 0 ? atoi(reply.c_str() + 9) : -1;
}

int RollCallMarks(int web_port, const std::string &key, int users, int count, int rounds) {
    std::vector<Watcher> watchers(count);
    for (size_t i = 0; i < watchers.size(); ++i) {
        Watcher &w = watchers[i];
        w.fd = Connected(web_port, CrowdHost(static_cast<int>(i)).c_str());
        const char *get = "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        if (w.fd >= 0) send(w.fd, get, strlen(get), MSG_NOSIGNAL);
    }
    auto all_have = [&](size_t boards, size_t rollcalls) {
        for (const Watcher &w : watchers)
            if (w.fd < 0 || w.events < boards || w.rollcalls < rollcalls) return false;
        return true;
    };
    Clock::time_point wait = Clock::now();
    while (!all_have(1, 0) && MillisecondsSince(wait) < 10000) {
        usleep(2000);
        ReadWatchers(watchers);
    }
    int connected = 0;
    for (const Watcher &w : watchers) connected += w.fd >= 0 && w.events >= 1;
    int failed = RollCallPost(web_port, key, "{\"start\": true}") == 200 ? 0 : 1;
    std::vector<double> replies, spread;
    for (int i = 0; i < rounds && failed == 0; ++i) {
        usleep(20 * 1000);
        ReadWatchers(watchers);
        size_t before = 0;
        for (const Watcher &w : watchers) before = std::max(before, w.rollcalls);
        std::string body = "{\"mark\": \"" + UserName(i % users) + "\", \"safe\": true}";
        Clock::time_point start = Clock::now();
        if (RollCallPost(web_port, key, body) != 200) {
            ++failed;
            continue;
        }
        replies.push_back(MillisecondsSince(start));
        while (!all_have(1, before + 1) && MillisecondsSince(start) < 5000) {
            ReadWatchers(watchers);
            if (!all_have(1, before + 1)) usleep(200);
        }
        if (all_have(1, before + 1))
            spread.push_back(MillisecondsSince(start));
        else
            ++failed;
    }
    if (RollCallPost(web_port, key, "{\"end\": true}") != 200) ++failed;
    printf("rollcall_connected=%d\nrollcall_mark_ms=%.1f\nrollcall_event_ms=%.1f\n"
           "rollcall_event_max_ms=%.1f\nrollcall_failed=%d\n",
           connected, Median(replies), Median(spread),
           spread.empty() ? -1.0 : *std::max_element(spread.begin(), spread.end()), failed);
    for (Watcher &w : watchers)
        if (w.fd >= 0) close(w.fd);
    return 0;
}

// One request timed, from 127.0.0.1, waiting up to 20 s for the whole
// reply; ms is -1 when no reply starting with expect came.
double TimedRequest(int port, const std::string &request, const std::string &expect) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    timeval timeout{20, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    Clock::time_point start = Clock::now();
    sockaddr_in address = Loopback(port);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        ssize_t got;
        while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, got);
    }
    double ms = MillisecondsSince(start);
    close(fd);
    return reply.compare(0, expect.size(), expect) == 0 ? ms : -1;
}

// A non-blocking connect from host to port; -1 when it cannot start.
int ConnectFrom(int port, const std::string &host) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    sockaddr_in address = Loopback(port);
    if (!BindFrom(fd, host.c_str()) ||
        (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 &&
         errno != EINPROGRESS)) {
        close(fd);
        return -1;
    }
    return fd;
}

// count silent sockets of hosts (in turn), half on each port, each
// connected again as soon as the server ends it, until stop.
void HoldSilent(int port, int web_port, const std::vector<std::string> &hosts, int count,
                const std::atomic<bool> &stop, std::atomic<long> &renewed) {
    std::vector<pollfd> fds(count);
    auto target = [&](int i) { return i % 2 ? web_port : port; };
    for (int i = 0; i < count; ++i)
        fds[i] = {ConnectFrom(target(i), hosts[i % hosts.size()]), POLLIN, 0};
    while (!stop) {
        poll(fds.data(), fds.size(), 50);
        for (int i = 0; i < count; ++i) {
            pollfd &p = fds[i];
            if (p.fd >= 0 && !(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            ssize_t got = p.fd >= 0 ? recv(p.fd, buffer, sizeof buffer, MSG_DONTWAIT) : -1;
            if (got > 0 || (got < 0 && p.fd >= 0 && (errno == EAGAIN || errno == EINTR))) continue;
            if (p.fd >= 0) close(p.fd);
            p.fd = ConnectFrom(target(i), hosts[i % hosts.size()]);
            p.revents = 0;
            ++renewed;
        }
    }
    for (pollfd &p : fds)
        if (p.fd >= 0) close(p.fd);
}

// A connection of 127.0.0.2 that opens the event stream and sends bytes
// as fast as the server takes them, connecting again when it is ended.
void Stream(int web_port, const std::atomic<bool> &stop, std::atomic<long> &renewed) {
    const std::string head = "GET /events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    std::string junk(64 * 1024, 'x');
    while (!stop) {
        int fd = Connected(web_port, "127.0.0.2");
        if (fd < 0) {
            usleep(10 * 1000);
            continue;
        }
        timeval timeout{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        bool ok = send(fd, head.data(), head.size(), MSG_NOSIGNAL) > 0;
        while (ok && !stop) {
            ssize_t sent = send(fd, junk.data(), junk.size(), MSG_NOSIGNAL);
            ok = sent > 0 || (sent < 0 && (errno == EAGAIN || errno == EINTR));
        }
        close(fd);
        ++renewed;
    }
}

int Attack(int port, int web_port, int users, const std::string &kind, int count, int rounds) {
    // Thousands of sockets: as many descriptors as the system lets us.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    std::atomic<bool> stop{false};
    std::atomic<long> renewed{0};
    std::vector<std::thread> strangers;
    if (kind == "stream") {
        for (int i = 0; i < count; ++i)
            strangers.emplace_back([&] { Stream(web_port, stop, renewed); });
    } else if (kind == "hoard" || kind == "crowd") {
        std::vector<std::string> hosts;
        if (kind == "hoard") hosts.push_back("127.0.0.2");
        for (int h = 3; kind == "crowd" && h <= 18; ++h)
            hosts.push_back("127.0.0." + std::to_string(h));
        strangers.emplace_back(
            [&, hosts] { HoldSilent(port, web_port, hosts, count, stop, renewed); });
    } else if (kind != "quiet") {
        return Usage();
    }
    // The attack takes hold first.
    if (kind != "quiet") usleep(3000 * 1000);
    std::vector<double> signins, pages;
    int signin_failed = 0, page_failed = 0;
    for (int i = 0; i < rounds; ++i) {
        double ms = TimedRequest(
            port, "#o" + UserName(i % users) + "-10:00-Attack " + std::to_string(i) + "-11:00\n\r",
            "0\n\r");
        if (ms < 0)
            ++signin_failed;
        else
            signins.push_back(ms);
        ms = TimedRequest(web_port, "GET /board.json HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
                          "HTTP/1.1 200");
        if (ms < 0)
            ++page_failed;
        else
            pages.push_back(ms);
        usleep(200 * 1000);
    }
    stop = true;
    for (std::thread &stranger : strangers) stranger.join();
    auto worst = [](const std::vector<double> &v) {
        return v.empty() ? -1.0 : *std::max_element(v.begin(), v.end());
    };
    printf("attack_kind=%s\nattack_count=%d\nattack_renewed=%ld\n", kind.c_str(), count,
           renewed.load());
    printf("attack_signin_max_ms=%.1f\nattack_signin_median_ms=%.1f\nattack_signin_failed=%d\n",
           worst(signins), Median(signins), signin_failed);
    printf("attack_page_max_ms=%.1f\nattack_page_median_ms=%.1f\nattack_page_failed=%d\n",
           worst(pages), Median(pages), page_failed);
    return 0;
}

int Usage() {
    fprintf(
        stderr,
        "usage: bench_driver board DAT USERS | rush PORT USERS TAG DAT PAGE |\n"
        "       throughput PORT USERS SECONDS |\n"
        "       compare PORT_A PORT_B USERS SECONDS SLICE_MS | requests PORT USERS COUNT |\n"
        "       slow PORT USERS SILENT TRICKLING | hold PORT COUNT SECONDS [FROM] | fsync DIR |\n"
        "       late PORT USERS TRIES DELAY_MS |\n"
        "       watchers PORT WEB_PORT USERS COUNT ROUNDS |\n"
        "       rollcall WEB_PORT KEY USERS COUNT ROUNDS |\n"
        "       attack PORT WEB_PORT USERS quiet|stream|hoard|crowd COUNT ROUNDS\n");
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) return Usage();
    std::string mode = argv[1];
    if (mode == "fsync" && argc == 3) return FsyncTime(argv[2]);
    if (mode == "board" && argc == 4) return WriteBoard(argv[2], atoi(argv[3]));
    if (mode == "rush" && argc == 7)
        return Rush(atoi(argv[2]), atoi(argv[3]), argv[4], argv[5], argv[6]);
    if (mode == "throughput" && argc == 5)
        return Throughput(atoi(argv[2]), atoi(argv[3]), atof(argv[4]));
    if (mode == "compare" && argc == 7)
        return Compare(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atof(argv[5]), atoi(argv[6]));
    if (mode == "requests" && (argc == 5 || argc == 6))
        return Requests(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), argc == 6 ? atoi(argv[5]) : 1);
    if (mode == "slow" && argc == 6)
        return Slow(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    if (mode == "late" && argc == 6)
        return Late(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    if (mode == "watchers" && argc == 7)
        return Watchers(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
    if (mode == "rollcall" && argc == 7)
        return RollCallMarks(atoi(argv[2]), argv[3], atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
    if (mode == "attack" && argc == 8)
        return Attack(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), argv[5], atoi(argv[6]),
                      atoi(argv[7]));
    if (mode == "hold" && (argc == 5 || argc == 6))
        return Hold(atoi(argv[2]), atoi(argv[3]), atof(argv[4]), argc == 6 ? argv[5] : nullptr);
    return Usage();
}
