#include "tests/kit/tesmar_server.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace e2e {

namespace {

const char kSettingsKey[] = "Software\\KVT\\Tesmar";

std::string FirstArgument(pid_t pid) {
    std::string cmdline = ReadBytes("/proc/" + std::to_string(pid) + "/cmdline");
    return cmdline.substr(0, cmdline.find('\0'));
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

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

bool Listening(int port) {
    char local[32];
    snprintf(local, sizeof local, ":%04X 00000000:0000 0A", port);
    return ReadBytes("/proc/net/tcp").find(local) != std::string::npos;
}

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

bool TesmarServer::Start(int timeout_ms) {
    pid_ = Launch(setup_.output);
    if (pid_ <= 0) return false;
    for (double until = NowMs() + timeout_ms; NowMs() < until; Pause(20)) {
        if (Listening(port_) && (web_port_ == 0 || Listening(web_port_))) return true;
        if (!Running()) {
            exit_status_ = WinePrefix::WaitExit(pid_, 10000);
            pid_ = -1;
            return false;
        }
    }
    return false;
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
