#include "tests/kit/tesmar_server.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>
#include <utility>

namespace e2e {

namespace {

const char kSettingsKey[] = "Software\\KVT\\Tesmar";

std::string FirstArgument(pid_t pid) {
    std::string cmdline = ReadBytes("/proc/" + std::to_string(pid) + "/cmdline");
    return cmdline.substr(0, cmdline.find('\0'));
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The inodes of the sockets that listen on the TCP port, from
// /proc/net/tcp: "sl local rem st queues timer retransmits uid timeout
// inode", the local address as hex "address:port", listening as state 0A.
std::vector<std::string> ListenerInodes(int port) {
    std::vector<std::string> inodes;
    std::istringstream table(ReadBytes("/proc/net/tcp"));
    std::string line;
    std::getline(table, line); // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
              timeout >> inode))
            continue;
        size_t colon = local.find(':');
        if (state != "0A" || colon == std::string::npos) continue;
        if (std::strtol(local.c_str() + colon + 1, nullptr, 16) == port) inodes.push_back(inode);
    }
    return inodes;
}

// The processes that hold one of the sockets (those whose descriptors this
// user may read).
std::vector<pid_t> Holders(const std::vector<std::string> &inodes) {
    std::vector<pid_t> holders;
    std::error_code error;
    for (const auto &process : std::filesystem::directory_iterator("/proc", error)) {
        std::string name = process.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code unreadable;
        for (const auto &fd :
             std::filesystem::directory_iterator(process.path() / "fd", unreadable)) {
            std::error_code gone;
            std::string target = std::filesystem::read_symlink(fd.path(), gone);
            bool held = false;
            for (const std::string &inode : inodes)
                held = held || target == "socket:[" + inode + "]";
            if (!held) continue;
            holders.push_back(static_cast<pid_t>(std::stol(name)));
            break;
        }
    }
    return holders;
}

std::string DescribeProcess(pid_t pid) {
    std::string cmdline = ReadBytes("/proc/" + std::to_string(pid) + "/cmdline");
    for (char &c : cmdline)
        if (c == '\0') c = ' ';
    while (!cmdline.empty() && cmdline.back() == ' ') cmdline.pop_back();
    return "process " + std::to_string(pid) + " (" + cmdline + ")";
}

// Who listens on the port, for a failure message.
std::string ListenersOf(int port) {
    std::vector<pid_t> holders = Holders(ListenerInodes(port));
    if (holders.empty()) return "a process this user cannot see";
    std::string text;
    for (pid_t holder : holders) text += (text.empty() ? "" : ", ") + DescribeProcess(holder);
    return text;
}

// The last lines of the output file (at most about 2 KB), for a failure
// message; empty when there is none.
std::string OutputTail(const std::string &output) {
    if (output.empty()) return "";
    std::string bytes = ReadBytes(output);
    if (bytes.empty()) return "; its output (" + output + ") is empty";
    const size_t kTail = 2000;
    if (bytes.size() > kTail) {
        size_t start = bytes.find('\n', bytes.size() - kTail);
        bytes =
            "...\n" + bytes.substr(start == std::string::npos ? bytes.size() - kTail : start + 1);
    }
    return "; its output (" + output + ") ends:\n" + bytes;
}

} // namespace

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

bool Listening(int port) { return !ListenerInodes(port).empty(); }

int DriveWenlo(WinePrefix &prefix, const std::vector<std::string> &args,
               const std::string &output_file, std::string *said) {
    RemoveTree(output_file);
    pid_t pid =
        prefix.Start(WindowsBuildDir() + "/tests/drivers/wenlo_e2e_driver.exe", args, output_file);
    int status = WinePrefix::WaitExit(pid, 120000);
    *said = ReadBytes(output_file);
    return status;
}

ServerKind KindUnderTest() {
    const char *kind = std::getenv("TESMAR_KIND");
    return kind && std::string(kind) == "native" ? ServerKind::Native : ServerKind::Wine;
}

std::string NativeTesmar() { return E2E_NATIVE_BUILD_DIR "/server/posix/tesmar"; }

std::string TesmarExe() { return WindowsBuildDir() + "/server/shell/tesmar.exe"; }
std::string WenloExe() { return WindowsBuildDir() + "/client/shell/wenlo.exe"; }

pid_t StartProgram(WinePrefix &prefix, const std::string &exe, const std::string &cwd,
                   const std::vector<std::string> &args, const std::string &output_file) {
    pid_t pid = prefix.Start(exe, args, output_file, cwd);
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
    std::string stat = ReadBytes("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) return false;
    char state = stat[close + 2];
    return state != 'Z' && state != 'X';
}

TesmarServer::TesmarServer(const std::string &dir, int users, const TesmarSetup &setup)
    : setup_(setup), dir_((RemoveTree(dir), MakeDirectories(dir + "/" + setup.work_name), dir)),
      work_(dir + "/" + setup.work_name),
      page_(setup.page.empty() ? work_ + "/board.htm" : setup.page), port_(FreePort()) {
    if (setup.kind == ServerKind::Wine) prefix_ = std::make_unique<WinePrefix>(dir + "/prefix");
    if (!setup.settings) return;
    WriteFile(DataFile(), BoardFile(users));
    if (setup.kind == ServerKind::Native) {
        settings_ = {{"WorkingDir", work_}, {"Port", std::to_string(port_)}, {"HTMLFile", page_}};
        return;
    }
    prefix_->SetMachineValues(kSettingsKey, {{"WorkingDir", WindowsPath(work_)},
                                             {"Port", std::to_string(port_)},
                                             {"HTMLFile", WindowsPath(page_)}});
}

TesmarServer::~TesmarServer() {
    if (pid_ > 0) KillProcess(pid_);
}

int TesmarServer::EnableWebPort() {
    web_port_ = FreePort();
    SetSetting("WebPort", std::to_string(web_port_));
    return web_port_;
}

void TesmarServer::SetSetting(const std::string &name, const std::string &value) {
    if (setup_.kind == ServerKind::Wine) {
        prefix_->SetMachineValues(kSettingsKey, {{name, value}});
        return;
    }
    for (auto &[known, text] : settings_) {
        if (known != name) continue;
        text = value;
        return;
    }
    settings_.push_back({name, value});
}

void TesmarServer::WriteSettingsFile() {
    std::string file = "# made by the end-to-end test\n";
    for (const auto &[name, value] : settings_) {
        file += name + "=";
        for (char c : value)
            file += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\\' ? "\\\\" : std::string(1, c);
        file += "\n";
    }
    WriteFile(ConfigFile(), file);
}

pid_t TesmarServer::Launch(const std::string &output_file) {
    std::string cwd = setup_.in_work ? work_ : "";
    if (setup_.kind == ServerKind::Wine)
        return StartProgram(*prefix_, TesmarExe(), cwd, {}, output_file);
    WriteSettingsFile();
    return Spawn({NativeTesmar(), "--config", ConfigFile()}, {}, output_file, cwd);
}

bool TesmarServer::Fail(const std::string &why) {
    start_failure_ = why;
    return false;
}

// Its own process, or under Wine one of its prefix's (the prefix's
// wineserver holds the sockets of the programs in it).
bool TesmarServer::Ours(pid_t holder) const {
    if (holder == pid_) return true;
    if (setup_.kind != ServerKind::Wine) return false;
    std::string environment =
        std::string(1, '\0') + ReadBytes("/proc/" + std::to_string(holder) + "/environ");
    return environment.find(std::string(1, '\0') + "WINEPREFIX=" + prefix_->Path() +
                            std::string(1, '\0')) != std::string::npos;
}

bool TesmarServer::Start(int timeout_ms) {
    start_failure_.clear();
    std::vector<std::pair<std::string, int>> ports = {{"sign-in port", port_}};
    if (web_port_ != 0) ports.push_back({"web port", web_port_});
    // A listener already there is another's, or a stopped server's that is
    // still letting go: that one goes within moments.
    for (const auto &[role, port] : ports) {
        if (PollUntil([port = port] { return !Listening(port); }, 5)) continue;
        return Fail("the " + role + " " + std::to_string(port) +
                    " was listened on before the server started, by " + ListenersOf(port));
    }
    pid_ = Launch(setup_.output);
    if (pid_ <= 0)
        return Fail(
            "the server's process did not start" +
            std::string(setup_.kind == ServerKind::Wine ? " (or never ran tesmar.exe)" : "") +
            OutputTail(setup_.output));
    for (double until = NowMs() + timeout_ms;; Pause(20)) {
        std::string waiting;
        for (const auto &[role, port] : ports)
            if (!Listening(port))
                waiting += (waiting.empty() ? "" : ", ") + role + " " + std::to_string(port);
        if (waiting.empty()) break;
        if (!Running()) {
            exit_status_ = WinePrefix::WaitExit(pid_, 10000);
            pid_ = -1;
            return Fail("the server ended with exit status " + std::to_string(exit_status_) +
                        " before it listened on the " + waiting + OutputTail(setup_.output));
        }
        if (NowMs() >= until)
            return Fail("after " + std::to_string(timeout_ms) + " ms the server (" +
                        DescribeProcess(pid_) + ") was still not listening on the " + waiting +
                        OutputTail(setup_.output));
    }
    // The listeners are its own, not another process's that took a port
    // after the look above (when their holders can be seen at all).
    for (const auto &[role, port] : ports) {
        std::vector<pid_t> holders = Holders(ListenerInodes(port));
        bool ours = holders.empty();
        for (pid_t holder : holders) ours = ours || Ours(holder);
        if (!ours)
            return Fail("the " + role + " " + std::to_string(port) + " is listened on by " +
                        ListenersOf(port) + ", not by this server");
    }
    return true;
}

pid_t TesmarServer::StartAnother(const std::string &output_file) { return Launch(output_file); }

void TesmarServer::Kill() {
    KillProcess(pid_);
    pid_ = -1;
    // The listening socket goes with the process; wait until it has.
    for (double until = NowMs() + 10000; NowMs() < until && Listening(port_); Pause(10)) {
    }
}

int TesmarServer::Close(int timeout_ms) {
    if (pid_ <= 0) return -1;
    if (setup_.kind == ServerKind::Wine)
        prefix_->CloseWindowsOf("tesmar.exe");
    else
        kill(pid_, SIGTERM);
    int status = WinePrefix::WaitExit(pid_, timeout_ms);
    if (status != -1) pid_ = -1;
    return status;
}

} // namespace e2e
