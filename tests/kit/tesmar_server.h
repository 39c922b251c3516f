// tesmar.exe of the Windows build in a Wine prefix of its own, as the
// end-to-end suites start it: a working directory with a data file of
// numbered users, a page path and a free port in its settings; the Wine
// process that runs a program, watched and killed from here.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/kit/wine_session.h"

namespace e2e {

// The built programs of the Windows build.
std::string TesmarExe();
std::string WenloExe();

// A data file of the given number of users (user000, user001, ...), all in
// at 12:00, as the server writes it.
std::string BoardFile(int users);
std::string UserName(int i);

// Whether something listens on the TCP port (read from /proc/net/tcp, so
// that the server sees no probe connection).
bool Listening(int port);

// Starts exe in the prefix and returns the process id of its Wine process
// once that process runs the program (-1 when it never does).
// Its output goes to output_file ("" = nowhere); cwd "" is this process's.
pid_t StartProgram(WinePrefix &prefix, const std::string &exe, const std::string &cwd,
                   const std::vector<std::string> &args = {}, const std::string &output_file = "");
// Kills the process with SIGKILL and reaps it.
void KillProcess(pid_t pid);
// Whether the process runs (and is not a zombie).
bool ProcessRunning(pid_t pid);

// Runs wenlo_e2e_driver.exe of the Windows build in the prefix with the
// arguments (one action on a running wenlo.exe), at most 120 s: its exit
// status; what it printed goes to output_file and into said.
int DriveWenlo(WinePrefix &prefix, const std::vector<std::string> &args,
               const std::string &output_file, std::string *said);

// How a TesmarServer is laid out and started.
struct TesmarSetup {
    std::string work_name = "work"; // its working directory, below dir
    std::string page;               // the page's path (Linux), empty for <work>/board.htm
    bool settings = true;           // false: no settings at all, as on a first run
    std::string output;             // where its output goes, empty for nowhere
    bool in_work = true;            // runs in its working directory, else in this process's
};

// tesmar.exe in a prefix of its own: a working directory with a data file
// of numbered users, a page path, a port.
class TesmarServer {
  public:
    // dir: a directory for this server, made anew.
    TesmarServer(const std::string &dir, int users, const TesmarSetup &setup = {});

    // Gives the server a free web port (before Start); returns it.
    int EnableWebPort();
    // Stores one more setting of the server (before Start).
    void SetSetting(const std::string &name, const std::string &value);
    // Starts the server and waits until it listens (at most timeout_ms), on
    // the web port too when it has one.
    bool Start(int timeout_ms = 30000);
    // SIGKILL to its Wine process; returns once the port is free again.
    void Kill();
    // Closes its windows as the close box does and waits (at most
    // timeout_ms) for it to end: its exit status, -1 when it did not end.
    int Close(int timeout_ms = 30000);
    bool Running() const { return pid_ > 0 && ProcessRunning(pid_); }

    pid_t pid() const { return pid_; }
    int port() const { return port_; }
    int web_port() const { return web_port_; }
    const std::string &work() const { return work_; }
    const std::string &page() const { return page_; }
    std::string DataFile() const { return work_ + "/tesmar.dat"; }
    WinePrefix &prefix() { return prefix_; }

  private:
    TesmarSetup setup_;
    std::string dir_, work_, page_;
    int port_ = 0;
    int web_port_ = 0;
    WinePrefix prefix_;
    pid_t pid_ = -1;
};

} // namespace e2e
