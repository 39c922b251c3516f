// What the fault tests add to the end-to-end helpers (tests/support): the
// Wine process of a program killed with SIGKILL, listening seen without
// connecting, tesmar.exe in a prefix of its own with a board of numbered
// users, and TCP exchanges that tell how and when they ended.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/wine_session.h"

namespace faults {

using e2e::FileExists;
using e2e::NowMs;
using e2e::ReadFile;
using e2e::TcpClient;
using e2e::WindowsPath;
using e2e::WinePrefix;
using e2e::WriteFile;

bool IsDirectory(const std::string &path);
// The names in a directory (no "." and "..").
std::vector<std::string> ListDirectory(const std::string &path);

// A data file of the given number of users (user000, user001, ...), all in
// at 12:00, as the server writes it.
std::string BoardFile(int users);
std::string UserName(int i);

// Whether something listens on the TCP port (read from /proc/net/tcp, so
// that the server sees no probe connection).
bool Listening(int port);

// The built programs of the Windows build.
std::string TesmarExe();
std::string WenloExe();
// A helper program of the Windows build's fault tests (name without .exe).
std::string WindowsTestProgram(const std::string &name);

// Starts exe in the prefix and returns the process id of its Wine process
// once that process runs the program (-1 when it never does).
pid_t StartProgram(WinePrefix &prefix, const std::string &exe, const std::string &cwd,
                   const std::vector<std::string> &args = {});
// Kills the process with SIGKILL and reaps it.
void KillProcess(pid_t pid);
// Whether the process runs (and is not a zombie).
bool ProcessRunning(pid_t pid);

// tesmar.exe in a prefix of its own: a working directory with a data file
// of numbered users, a page path, a port.
class TesmarServer {
  public:
    // dir: a directory for this server, made anew. page: the page's path
    // (Linux), empty for work/board.htm.
    TesmarServer(const std::string &dir, int users, const std::string &page = "");

    // Starts the server and waits until it listens (at most 30 s).
    bool Start();
    // SIGKILL to its Wine process; returns once the port is free again.
    void Kill();
    bool Running() const { return pid_ > 0 && ProcessRunning(pid_); }

    int port() const { return port_; }
    const std::string &work() const { return work_; }
    std::string DataFile() const { return work_ + "/tesmar.dat"; }
    WinePrefix &prefix() { return prefix_; }

  private:
    std::string dir_, work_, page_;
    int port_ = 0;
    WinePrefix prefix_;
    pid_t pid_ = -1;
};

// One exchange: connect, send the request whole, read until the server
// ends the connection or timeout_ms passes.
struct Reply {
    bool connected = false;
    bool closed = false; // the server ended the connection (close or reset)
    std::string bytes;
    double ms = 0; // from connect to the end
};
Reply Exchange(int port, const std::string &request, int timeout_ms = 10000);

} // namespace faults
