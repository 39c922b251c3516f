#include "tests/kit/wine_session.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

#include "tests/kit/board_test_support.h"

extern char **environ;

namespace e2e {

namespace {

std::string RegistryEscape(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

sockaddr_in Loopback(int port) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

// Spawns argv with the given environment added to this process's, stdin
// from /dev/null, stdout and stderr to output ("" = /dev/null).
pid_t Spawn(const std::vector<std::string> &argv, const std::vector<std::string> &env,
            const std::string &output, const std::string &cwd) {
    std::vector<std::string> environment;
    for (char **e = environ; *e; ++e) {
        std::string entry = *e;
        bool replaced = false;
        for (const std::string &mine : env)
            if (entry.substr(0, entry.find('=') + 1) == mine.substr(0, mine.find('=') + 1))
                replaced = true;
        if (!replaced) environment.push_back(entry);
    }
    environment.insert(environment.end(), env.begin(), env.end());
    std::vector<char *> args, envp;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string &e : environment) envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::string out = output.empty() ? "/dev/null" : output;
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    // Its own process group: a Ctrl-C meant for the test run is not sent
    // to Wine as well.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return pid;
}

std::string SourceDir() { return E2E_SOURCE_DIR; }

std::string WindowsBuildDir() {
    const char *dir = std::getenv("WINDOWS_BUILD_DIR");
    return dir && *dir ? dir : E2E_WINDOWS_BUILD_DIR;
}

std::string WindowsPath(const std::string &unix_path) {
    std::string path = "Z:" + unix_path;
    for (char &c : path)
        if (c == '/') c = '\\';
    return path;
}

void WriteFile(const std::string &path, const std::string &bytes) { WriteBytes(path, bytes); }

bool FileExists(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

void MakeDirectories(const std::string &path) { std::filesystem::create_directories(path); }

void RemoveTree(const std::string &path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string ScratchDir(const std::string &name) {
    // A case runs against both servers, under one name: ctest may run the
    // two side by side, and one must not empty the other's directory.
    const char *kind = std::getenv("TESMAR_KIND");
    std::string prefix = kind && std::string(kind) == "native" ? "native." : "";
    std::string path = std::string(E2E_SCRATCH_DIR) + "/" + prefix + name;
    RemoveTree(path);
    MakeDirectories(path);
    return path;
}

const char kPortClaimsFile[] = "/tmp/tesmar-e2e-ports.lock";

namespace {

// The range FreePort hands out ports from: 20000 to 31999, without the
// system's ephemeral ports (where the test clients' own connections and
// every bind to port 0 draw theirs), unless those cover all of it.
std::pair<int, int> PortRange() {
    int low = 20000, high = 32000, ephemeral_low = 0, ephemeral_high = 0;
    std::ifstream in("/proc/sys/net/ipv4/ip_local_port_range");
    if (in >> ephemeral_low >> ephemeral_high) {
        if (ephemeral_low > low && ephemeral_low < high) high = ephemeral_low;
        if (ephemeral_high >= low && ephemeral_high + 1 < high && ephemeral_low <= low)
            low = ephemeral_high + 1;
    }
    if (high - low < 1000) return {20000, 32000}; // too few left: the locks alone keep tests apart
    return {low, high};
}

// Whether a plain bind (no SO_REUSEADDR) to the port succeeds now: nothing
// listens on it and no connection, not even one in TIME_WAIT, uses it, so
// the server's bind succeeds whatever its options.
bool Bindable(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address = Loopback(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    bool bound = bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

} // namespace

int FreePort() {
    // Every test process on the machine claims its ports with a write lock
    // on the port's byte of one shared file, held while the process lives
    // (the system drops it when the process ends, however it ends): two
    // tests run side by side, from one checkout or several, never get the
    // same port between this check and their server's bind.
    static std::mutex mutex;
    static std::set<int> mine;
    static int claims = -2; // -2: not opened yet; -1: cannot be had
    static std::mt19937 random(std::random_device{}() ^ static_cast<unsigned>(getpid()));
    std::lock_guard<std::mutex> hold(mutex);
    if (claims == -2) {
        claims = open(kPortClaimsFile, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (claims >= 0) fchmod(claims, 0666); // another user's tests share it
    }
    auto [low, high] = PortRange();
    int count = high - low;
    int first = static_cast<int>(random() % static_cast<unsigned>(count));
    for (int i = 0; i < count; ++i) {
        int port = low + (first + i) % count;
        if (mine.count(port)) continue;
        if (claims >= 0) {
            struct flock lock = {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_start = port;
            lock.l_len = 1;
            if (fcntl(claims, F_OFD_SETLK, &lock) != 0) continue; // another process's
        }
        mine.insert(port); // claimed for good, used or not
        if (Bindable(port)) return port;
    }
    throw std::runtime_error("no free port between " + std::to_string(low) + " and " +
                             std::to_string(high - 1));
}

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool PollUntil(const std::function<bool()> &done, int seconds) {
    long long deadline = NowMs() + seconds * 1000LL;
    while (!done()) {
        if (NowMs() > deadline) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

WinePrefix::WinePrefix(const std::string &path) : path_(path) {
    RemoveTree(path_);
    std::string command = SourceDir() + "/scripts/wine-prefix clone '" + path_ + "' >/dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot clone a Wine prefix to " + path_);
}

WinePrefix::~WinePrefix() {
    Kill();
    RemoveTree(path_);
}

std::vector<std::string> WinePrefix::Environment() const {
    std::vector<std::string> env = {"WINEPREFIX=" + path_, "WINEDEBUG=-all",
                                    "WINEDLLOVERRIDES=mscoree,mshtml="};
    env.insert(env.end(), locale_.begin(), locale_.end());
    return env;
}

void WinePrefix::UseLocale(const std::string &locale_dir, const std::string &locale) {
    locale_ = {"LOCPATH=" + locale_dir, "LANG=" + locale, "LC_ALL=" + locale};
}

bool MakeLocale(const std::string &dir, const std::string &source, const std::string &charmap,
                const std::string &name) {
    if (FileExists(dir + "/" + name + "/LC_CTYPE")) return true;
    MakeDirectories(dir);
    pid_t pid = Spawn({"localedef", "-i", source, "-f", charmap, dir + "/" + name}, {}, "");
    return pid > 0 && WinePrefix::WaitExit(pid, 60000) == 0 &&
           FileExists(dir + "/" + name + "/LC_CTYPE");
}

void WinePrefix::SetMachineValues(const std::string &key, const RegistryValues &values) {
    std::string section = "\n[" + RegistryEscape(key) + "] " +
                          std::to_string(static_cast<long long>(std::time(nullptr))) + "\n";
    for (const auto &[name, value] : values)
        section += "\"" + RegistryEscape(name) + "\"=\"" + RegistryEscape(value) + "\"\n";
    std::ofstream out(path_ + "/system.reg", std::ios::binary | std::ios::app);
    out << section;
}

void WinePrefix::EnsureServer() {
    if (server_started_) return;
    // A persistent wineserver with its output away from any pipe of ours.
    pid_t pid = Spawn({"wineserver", "-p"}, Environment(), "");
    if (pid > 0) WaitExit(pid, 30000);
    server_started_ = true;
}

pid_t WinePrefix::Start(const std::string &exe, const std::vector<std::string> &args,
                        const std::string &output_file, const std::string &cwd) {
    EnsureServer();
    std::vector<std::string> argv = {"wine", exe};
    argv.insert(argv.end(), args.begin(), args.end());
    return Spawn(argv, Environment(), output_file, cwd);
}

int WinePrefix::Run(const std::string &exe, const std::vector<std::string> &args, int timeout_ms) {
    pid_t pid = Start(exe, args, "");
    if (pid < 0) return -1;
    int status = WaitExit(pid, timeout_ms);
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return status;
}

void WinePrefix::CloseWindowsOf(const std::string &image) {
    Run("taskkill", {"/im", image}, 30000);
}

int WinePrefix::WaitExit(pid_t pid, int timeout_ms) {
    long long deadline = NowMs() + timeout_ms;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0) return -2; // not our child, or already reaped
        if (NowMs() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void WinePrefix::Kill() {
    if (!server_started_) return;
    pid_t pid = Spawn({"wineserver", "-k"}, Environment(), "");
    if (pid > 0) WaitExit(pid, 30000);
    // Wait until that wineserver is gone: a prefix made later in the same
    // place (or on the same inode) must not meet it.
    pid = Spawn({"wineserver", "-w"}, Environment(), "");
    if (pid > 0) WaitExit(pid, 30000);
    // Reap whatever we started that the kill ended.
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    server_started_ = false;
}

TcpClient::~TcpClient() { Close(); }

bool TcpClient::Connect(int port, int receive_buffer, const std::string &from) {
    Close();
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    if (receive_buffer > 0)
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
    if (!from.empty()) {
        sockaddr_in local = Loopback(0);
        if (inet_pton(AF_INET, from.c_str(), &local.sin_addr) != 1 ||
            bind(fd_, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
            Close();
            return false;
        }
    }
    sockaddr_in address = Loopback(port);
    if (connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        Close();
        return false;
    }
    return true;
}

bool TcpClient::Send(const std::string &bytes) {
    return fd_ >= 0 && send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                           static_cast<ssize_t>(bytes.size());
}

std::string TcpClient::ReadUntilClosed(int timeout_ms, bool *closed) {
    std::string reply;
    if (closed) *closed = false;
    long long deadline = NowMs() + timeout_ms;
    while (fd_ >= 0) {
        long long left = deadline - NowMs();
        if (left <= 0) break;
        pollfd wait = {fd_, POLLIN, 0};
        if (poll(&wait, 1, static_cast<int>(left)) <= 0) continue;
        char buffer[512];
        ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0) {
            if (closed) *closed = true;
            break;
        }
        reply.append(buffer, static_cast<size_t>(got));
    }
    return reply;
}

void TcpClient::ShutdownSend() {
    if (fd_ >= 0) shutdown(fd_, SHUT_WR);
}

void TcpClient::Reset() {
    if (fd_ < 0) return;
    linger abort = {1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    Close();
}

void TcpClient::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool WaitForPort(int port, int timeout_ms) {
    long long deadline = NowMs() + timeout_ms;
    while (NowMs() < deadline) {
        TcpClient probe;
        if (probe.Connect(port)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool PortRefuses(int port) {
    TcpClient probe;
    return !probe.Connect(port);
}

Reply Exchange(int port, const std::string &request, int timeout_ms) {
    Reply reply;
    double start = NowMs();
    TcpClient client;
    if (!client.Connect(port)) return reply;
    reply.connected = true;
    // A peer that answers and closes before taking the whole request still
    // has its answer read.
    client.Send(request);
    reply.bytes = client.ReadUntilClosed(timeout_ms, &reply.closed);
    reply.ms = NowMs() - start;
    return reply;
}

} // namespace e2e
