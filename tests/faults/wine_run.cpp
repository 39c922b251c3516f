#include "tests/faults/wine_run.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

namespace faults {

namespace {

std::string FirstArgument(pid_t pid) {
    std::string cmdline = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
    return cmdline.substr(0, cmdline.find('\0'));
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

} // namespace

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

bool Listening(int port) {
    char local[32];
    snprintf(local, sizeof local, ":%04X 00000000:0000 0A", port);
    return ReadFile("/proc/net/tcp").find(local) != std::string::npos;
}

std::string TesmarExe() { return e2e::WindowsBuildDir() + "/server/shell/tesmar.exe"; }
std::string WenloExe() { return e2e::WindowsBuildDir() + "/client/wenlo.exe"; }
std::string WindowsTestProgram(const std::string &name) {
    return e2e::WindowsBuildDir() + "/tests/faults_win/" + name + ".exe";
}

pid_t StartProgram(WinePrefix &prefix, const std::string &exe, const std::string &cwd,
                   const std::vector<std::string> &args) {
    pid_t pid = prefix.Start(exe, args, "", cwd);
    if (pid <= 0) return -1;
    // The wine script execs the loader in the same process, which then
    // runs the program: wait until the process shows it.
    std::string name = exe.substr(exe.find_last_of('/') + 1);
    for (double until = NowMs() + 20000; NowMs() < until; Pause(10)) {
        if (FirstArgument(pid).find(name) != std::string::npos) return pid;
        if (!ProcessRunning(pid)) return -1;
    }
    return -1;
}

void KillProcess(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool ProcessRunning(pid_t pid) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) return false;
    char state = stat[close + 2];
    return state != 'Z' && state != 'X';
}

TesmarServer::TesmarServer(const std::string &dir, int users, const std::string &page)
    : dir_((e2e::RemoveTree(dir), e2e::MakeDirectories(dir + "/work"), dir)),
      work_(dir + "/work"), page_(page.empty() ? work_ + "/board.htm" : page),
      port_(e2e::FreePort()), prefix_(dir + "/prefix") {
    WriteFile(DataFile(), BoardFile(users));
    prefix_.SetMachineValues("SOFTWARE\\KVT\\Tesmar", {{"WorkingDir", WindowsPath(work_)},
                                                       {"Port", std::to_string(port_)},
                                                       {"HTMLFile", WindowsPath(page_)}});
}

bool TesmarServer::Start() {
    pid_ = StartProgram(prefix_, TesmarExe(), work_);
    if (pid_ <= 0) return false;
    for (double until = NowMs() + 30000; NowMs() < until; Pause(20)) {
        if (Listening(port_)) return true;
        if (!Running()) return false;
    }
    return false;
}

void TesmarServer::Kill() {
    KillProcess(pid_);
    pid_ = -1;
    // The listening socket goes with the process; wait until it has.
    for (double until = NowMs() + 10000; NowMs() < until && Listening(port_); Pause(10)) {
    }
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
