// The server as the end-to-end suites start it, of either kind: tesmar.exe
// of the Windows build in a Wine prefix of its own (settings in its
// registry), or the native tesmar of this build (settings in its settings
// file); a working directory with a data file of numbered users, a page
// path and a free port in its settings; the process that runs a program,
// watched and killed from here.
#pragma once
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/kit/wine_session.h"

namespace e2e {

// The two servers: tesmar.exe under Wine, tesmar natively.
enum class ServerKind { Wine, Native };
// The kind the suites run against: Native when the environment has
// TESMAR_KIND=native, else Wine.
ServerKind KindUnderTest();

// The native server of this build.
std::string NativeTesmar();
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
    ServerKind kind = KindUnderTest();
};

// A server of the setup's kind: a working directory with a data file of
// numbered users, a page path, a port. Natively its settings file is
// dir/tesmar.conf, written at Start.
class TesmarServer {
  public:
    // dir: a directory for this server, made anew.
    TesmarServer(const std::string &dir, int users, const TesmarSetup &setup = {});
    // Kills it if it still runs (and, with the prefix, all of Wine's).
    ~TesmarServer();
    TesmarServer(const TesmarServer &) = delete;
    TesmarServer &operator=(const TesmarServer &) = delete;

    // Gives the server a free web port (before Start); returns it.
    int EnableWebPort();
    // Stores one more setting of the server (before Start).
    void SetSetting(const std::string &name, const std::string &value);
    // Starts the server and waits until it listens (at most timeout_ms), on
    // the web port too when it has one. When it ends instead, false with
    // its exit status in ExitStatus(). It does not start while something
    // else listens on its ports, and a listener that is not its own is a
    // failure too.
    bool Start(int timeout_ms = 30000);
    int ExitStatus() const { return exit_status_; }
    // Why the last Start failed, for the failing assertion: the process
    // ended (its exit status and the end of its output), the ports that
    // were not listening at the deadline, or a port another process held.
    const std::string &StartFailure() const { return start_failure_; }
    // Natively: writes the settings file anew from the settings stored
    // (Start does it too), for a server told to read it again.
    void WriteSettingsFile();
    // Starts one more copy of the server on the same settings, its output
    // to output_file; the process id (its Wine process's), -1 when it could
    // not start. It is not waited for.
    pid_t StartAnother(const std::string &output_file);
    // SIGKILL to its process; returns once the port is free again.
    void Kill();
    // Stops it as the close box does (Wine) or as the service manager does
    // (SIGTERM, natively) and waits (at most timeout_ms) for it to end: its
    // exit status, -1 when it did not end.
    int Close(int timeout_ms = 30000);
    bool Running() const { return pid_ > 0 && ProcessRunning(pid_); }

    pid_t pid() const { return pid_; }
    int port() const { return port_; }
    int web_port() const { return web_port_; }
    const std::string &work() const { return work_; }
    const std::string &page() const { return page_; }
    std::string DataFile() const { return work_ + "/tesmar.dat"; }
    ServerKind kind() const { return setup_.kind; }
    // The Wine prefix (Wine kind only).
    WinePrefix &prefix() { return *prefix_; }
    std::string ConfigFile() const { return dir_ + "/tesmar.conf"; }

  private:
    pid_t Launch(const std::string &output_file);
    bool Fail(const std::string &why);
    bool Ours(pid_t holder) const;

    TesmarSetup setup_;
    std::string dir_, work_, page_;
    int port_ = 0;
    int web_port_ = 0;
    std::unique_ptr<WinePrefix> prefix_;
    RegistryValues settings_; // the native server's, in file order
    pid_t pid_ = -1;
    int exit_status_ = -1;
    std::string start_failure_;
};

} // namespace e2e
