#include "tests/faults/wine_run.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef FAULTS_SOURCE_DIR
#error "FAULTS_SOURCE_DIR must name the source tree"
#endif

namespace faults {

namespace {

std::string SourceDir() { return FAULTS_SOURCE_DIR; }

std::string Environment(const char *name, const std::string &fallback) {
    const char *value = getenv(name);
    return value && *value ? value : fallback;
}

// Runs a command with the prefix's environment, output discarded; returns
// its exit status (-1 when it could not run).
int RunQuiet(const std::string &prefix, const std::vector<std::string> &argv) {
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        setenv("WINEPREFIX", prefix.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char *> args;
        for (const auto &a : argv) args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A value as a .reg file's string holds it.
std::string RegString(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string FirstArgument(pid_t pid) {
    std::string cmdline = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
    return cmdline.substr(0, cmdline.find('\0'));
}

} // namespace

double NowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string WindowsPath(const std::string &linux_path) {
    std::string out = "Z:";
    for (char c : linux_path) out += c == '/' ? '\\' : c;
    return out;
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WriteFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

bool Exists(const std::string &path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0;
}

bool IsDirectory(const std::string &path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

std::vector<std::string> ListDirectory(const std::string &path) {
    std::vector<std::string> names;
    DIR *dir = opendir(path.c_str());
    if (!dir) return names;
    while (dirent *entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

void RemoveTree(const std::string &path) {
    struct stat s;
    if (lstat(path.c_str(), &s) != 0) return;
    if (S_ISDIR(s.st_mode)) {
        for (const auto &name : ListDirectory(path)) RemoveTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

std::string UserName(int i) {
    char name[16];
    snprintf(name, sizeof name, "user%03d", i);
    return name;
}

std::string BoardFile(int users) {
    std::string bytes;
    for (int i = 0; i < users; ++i) bytes += UserName(i) + "-1- -12:00- -\r\n";
    return bytes;
}

int FreePort() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        socklen_t size = sizeof address;
        int port = 0;
        if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
            port = ntohs(address.sin_port);
        close(fd);
        if (port != 0 && !Listening(port)) return port;
    }
    return 0;
}

bool Listening(int port) {
    char local[32];
    snprintf(local, sizeof local, ":%04X 00000000:0000 0A", port);
    return ReadFile("/proc/net/tcp").find(local) != std::string::npos;
}

WinePrefix::WinePrefix(const std::string &dir) : prefix_(dir) {
    ok_ = RunQuiet(prefix_, {SourceDir() + "/scripts/wine-prefix", "clone", prefix_}) == 0;
}

WinePrefix::~WinePrefix() {
    RunQuiet(prefix_, {"wineserver", "-k"});
    Reap();
    for (pid_t pid : started_) {
        if (Running(pid)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
}

bool WinePrefix::SetValues(const std::string &key,
                           const std::map<std::string, std::string> &values) {
    std::string reg = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + key + "]\r\n";
    for (const auto &[name, value] : values) reg += RegString(name) + "=" + RegString(value) + "\r\n";
    std::string file = prefix_ + "-settings.reg";
    if (!WriteFile(file, reg)) return false;
    return RunQuiet(prefix_, {"wine", "regedit", "/S", WindowsPath(file)}) == 0;
}

pid_t WinePrefix::Start(const std::string &exe, const std::string &cwd,
                        const std::vector<std::string> &args) {
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        setenv("WINEPREFIX", prefix_.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        // Nothing of the test's output may stay held by Wine's processes.
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char *> argv{const_cast<char *>("wine"), const_cast<char *>(exe.c_str())};
        for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp("wine", argv.data());
        _exit(127);
    }
    started_.push_back(child);
    // The wine script execs the loader in the same process, which then
    // runs the program; wait until the process shows the program.
    std::string name = exe.substr(exe.find_last_of('/') + 1);
    for (double until = NowMs() + 20000; NowMs() < until;) {
        if (FirstArgument(child).find(name) != std::string::npos) return child;
        if (!Running(child)) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return child;
}

int WinePrefix::Run(const std::string &exe, const std::vector<std::string> &args, int timeout_ms,
                    std::string &output) {
    output.clear();
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return -1;
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        setenv("WINEPREFIX", prefix_.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(pipe_ends[1], 1);
        dup2(null, 2);
        close(pipe_ends[0]);
        close(pipe_ends[1]);
        std::vector<char *> argv{const_cast<char *>("wine"), const_cast<char *>(exe.c_str())};
        for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp("wine", argv.data());
        _exit(127);
    }
    close(pipe_ends[1]);
    // Read until the program ends.
    double until = NowMs() + timeout_ms;
    bool killed = false;
    for (;;) {
        double left = until - NowMs();
        if (left <= 0) {
            kill(child, SIGKILL);
            killed = true;
            break;
        }
        pollfd wait{pipe_ends[0], POLLIN, 0};
        int ready = poll(&wait, 1, static_cast<int>(std::min(left, 200.0)) + 1);
        if (ready > 0) {
            char buffer[1024];
            ssize_t got = read(pipe_ends[0], buffer, sizeof buffer);
            if (got > 0) {
                output.append(buffer, static_cast<size_t>(got));
                continue;
            }
            if (got == 0) break;
        }
        // The program may have ended while something it started still
        // holds the pipe open.
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            close(pipe_ends[0]);
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
    }
    close(pipe_ends[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (killed || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

void WinePrefix::Kill(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool WinePrefix::Running(pid_t pid) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty()) return false;
    size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' &&
           stat[close + 2] != 'X';
}

void WinePrefix::Reap() {
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

std::string TesmarExe() { return Environment("TESMAR_EXE", FAULTS_TESMAR_EXE); }
std::string WenloExe() { return Environment("WENLO_EXE", FAULTS_WENLO_EXE); }
std::string WindowsTestProgram(const std::string &name) {
    return Environment("FAULTS_WINDOWS_TESTS", FAULTS_WINDOWS_TESTS) + "/" + name + ".exe";
}

TesmarServer::TesmarServer(const std::string &dir, int users, const std::string &page)
    : dir_((RemoveTree(dir), mkdir(dir.c_str(), 0755), dir)), work_(dir + "/work"),
      page_(page.empty() ? dir + "/work/board.htm" : page), port_(FreePort()),
      prefix_(dir + "/prefix") {
    mkdir(work_.c_str(), 0755);
    ok_ = prefix_.ok() && port_ != 0 && WriteFile(DataFile(), BoardFile(users)) &&
          prefix_.SetValues("SOFTWARE\\KVT\\Tesmar", {{"WorkingDir", WindowsPath(work_)},
                                                        {"Port", std::to_string(port_)},
                                                        {"HTMLFile", WindowsPath(page_)}});
}

bool TesmarServer::Start() {
    pid_ = prefix_.Start(TesmarExe(), work_);
    if (pid_ <= 0) return false;
    for (double until = NowMs() + 30000; NowMs() < until;) {
        if (Listening(port_)) return true;
        if (!Running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void TesmarServer::Kill() {
    prefix_.Kill(pid_);
    pid_ = -1;
    // The listening socket goes with the process; wait until it has.
    for (double until = NowMs() + 10000; NowMs() < until && Listening(port_);)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

int Connect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string ReadUntilClosed(int fd, int timeout_ms, bool &closed) {
    std::string bytes;
    closed = false;
    double until = NowMs() + timeout_ms;
    for (;;) {
        double left = until - NowMs();
        if (left <= 0) return bytes;
        pollfd wait{fd, POLLIN, 0};
        int ready = poll(&wait, 1, static_cast<int>(left) + 1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return bytes;
        char buffer[1024];
        ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            bytes.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        closed = true; // end of stream or reset
        return bytes;
    }
}

Reply Exchange(int port, const std::string &request, int timeout_ms) {
    Reply reply;
    double start = NowMs();
    int fd = Connect(port);
    if (fd < 0) return reply;
    reply.connected = true;
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size()))
        reply.bytes = ReadUntilClosed(fd, timeout_ms, reply.closed);
    else
        reply.closed = true;
    close(fd);
    reply.ms = NowMs() - start;
    return reply;
}

} // namespace faults
