// What the fault tests need to run the Windows programs under Wine from
// the native side: a private prefix of their own with given settings, the
// programs started and killed there, and plain TCP clients.
#pragma once
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace faults {

// Milliseconds on a steady clock.
double NowMs();

// Linux path to the Windows path the prefix's drive Z: gives it.
std::string WindowsPath(const std::string &linux_path);

std::string ReadFile(const std::string &path);
bool WriteFile(const std::string &path, const std::string &bytes);
bool Exists(const std::string &path);
bool IsDirectory(const std::string &path);
// The names in a directory (no "." and "..").
std::vector<std::string> ListDirectory(const std::string &path);
void RemoveTree(const std::string &path);

// A data file of the given number of users (user000, user001, ...), all in
// at 12:00, as the server writes it.
std::string BoardFile(int users);
std::string UserName(int i);

// A port nothing listens on now.
int FreePort();
// Whether something listens on the TCP port (read from /proc/net/tcp).
bool Listening(int port);

// A private Wine prefix under dir (cloned from the project's booted
// prefix) in which the programs run; its wineserver is ended on
// destruction, which ends every program still running in it.
class WinePrefix {
  public:
    explicit WinePrefix(const std::string &dir);
    ~WinePrefix();
    WinePrefix(const WinePrefix &) = delete;
    WinePrefix &operator=(const WinePrefix &) = delete;

    bool ok() const { return ok_; }
    const std::string &path() const { return prefix_; }

    // Sets string values under HKLM\<key> (one regedit run).
    bool SetValues(const std::string &key, const std::map<std::string, std::string> &values);

    // Starts exe under Wine in working directory cwd; returns the process
    // id of the Wine process (the exe runs in it), or -1.
    pid_t Start(const std::string &exe, const std::string &cwd,
                const std::vector<std::string> &args = {});
    // Runs exe to its end (at most timeout_ms, then it is killed) and
    // returns its exit status (-1 when killed or not run); output gets
    // what it printed.
    int Run(const std::string &exe, const std::vector<std::string> &args, int timeout_ms,
            std::string &output);
    // Kills the process with SIGKILL and waits until it is gone.
    void Kill(pid_t pid);
    // Whether the process still runs (and is not a zombie).
    static bool Running(pid_t pid);
    // Reaps any of the started processes that have ended.
    void Reap();

  private:
    std::string prefix_;
    bool ok_ = false;
    std::vector<pid_t> started_;
};

// The built programs (paths given by the build).
std::string TesmarExe();
std::string WenloExe();
// A helper program of the Windows build's tests (name without .exe).
std::string WindowsTestProgram(const std::string &name);

// tesmar.exe in a prefix of its own: a working directory with a data file,
// a page path, a port.
class TesmarServer {
  public:
    // dir: a fresh directory for this server. users: the board's size.
    // page: the page's path (Linux), empty for work/board.htm.
    TesmarServer(const std::string &dir, int users, const std::string &page = "");

    bool ok() const { return ok_; }
    // Starts the server and waits until it listens (at most 30 s).
    bool Start();
    void Kill();
    bool Running() const { return pid_ > 0 && WinePrefix::Running(pid_); }

    int port() const { return port_; }
    const std::string &work() const { return work_; }
    std::string DataFile() const { return work_ + "/tesmar.dat"; }
    const std::string &page() const { return page_; }
    WinePrefix &prefix() { return prefix_; }

  private:
    std::string dir_, work_, page_;
    int port_ = 0;
    WinePrefix prefix_;
    pid_t pid_ = -1;
    bool ok_ = false;
};

// One exchange: connect, send the request whole, read until the server
// closes or timeout_ms passes.
struct Reply {
    bool connected = false;
    bool closed = false; // the server ended the connection (close or reset)
    std::string bytes;
    double ms = 0; // from connect to the end
};
Reply Exchange(int port, const std::string &request, int timeout_ms = 10000);

// A client socket connected to the port (blocking), or -1.
int Connect(int port);
// Reads until the peer ends the connection or timeout_ms passes; closed
// says which.
std::string ReadUntilClosed(int fd, int timeout_ms, bool &closed);

} // namespace faults
