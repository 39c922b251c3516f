// End-to-end helpers on the Linux side: a private Wine prefix with preset
// registry values, Windows programs started and stopped in it, TCP talk
// with them over 127.0.0.1, and files read back.
#pragma once
#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/kit/files.h"

namespace e2e {

// The source tree, and the Windows build that holds the programs: the
// WINDOWS_BUILD_DIR environment variable, else the build's default.
std::string SourceDir();
std::string WindowsBuildDir();

// The Windows path of a Linux path (Wine's Z: drive).
std::string WindowsPath(const std::string &unix_path);

void WriteFile(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);
void MakeDirectories(const std::string &path);
void RemoveTree(const std::string &path);

// A test's own directory, made anew (emptied when it is there) and named
// name below the build tree's scratch folder, on the file system of the
// Wine prefixes cloned into it. Names are unique across the suites; the
// native server's runs of a case (TESMAR_KIND=native) get their own.
std::string ScratchDir(const std::string &name);

// A TCP port that was free a moment ago, outside the system's ephemeral
// ports (so no outgoing connection takes it) and claimed for the rest of
// this process's life against every other process that asks here, so that
// tests run side by side never share one. Throws when none is left.
int FreePort();
// The file whose byte N a process locks (an open file description lock)
// to claim port N.
extern const char kPortClaimsFile[];

// Milliseconds on a monotonic clock.
long long NowMs();

// Asks done every 100 ms until it holds or the seconds have passed; its
// last answer.
bool PollUntil(const std::function<bool()> &done, int seconds);

// Spawns argv (found on PATH) with the env entries added to this process's
// environment, stdin from /dev/null, stdout and stderr appended to output
// ("" = /dev/null), in cwd ("" = this process's), in a process group of
// its own. Returns the process id, -1 when it could not start.
pid_t Spawn(const std::vector<std::string> &argv, const std::vector<std::string> &env,
            const std::string &output, const std::string &cwd = "");

using RegistryValues = std::vector<std::pair<std::string, std::string>>;

// A private prefix cloned from the project's booted one. Its wineserver is
// started on first use and killed (with every process in it) on
// destruction; the base prefix is never touched.
class WinePrefix {
  public:
    explicit WinePrefix(const std::string &path);
    ~WinePrefix();
    WinePrefix(const WinePrefix &) = delete;
    WinePrefix &operator=(const WinePrefix &) = delete;

    const std::string &Path() const { return path_; }

    // Puts string values under HKEY_LOCAL_MACHINE\<key> (for example
    // "SOFTWARE\\KVT\\Tesmar") straight into the registry file. Only before
    // anything runs in the prefix.
    void SetMachineValues(const std::string &key, const RegistryValues &values);

    // Starts a Windows program; its output (both streams) goes to
    // output_file; it runs in directory cwd ("" = this process's). Returns
    // the process id.
    pid_t Start(const std::string &exe, const std::vector<std::string> &args,
                const std::string &output_file, const std::string &cwd = "");

    // Runs a Windows program to its end (at most timeout_ms); returns its
    // exit status, or -1 when it had to be killed.
    int Run(const std::string &exe, const std::vector<std::string> &args, int timeout_ms);

    // Posts WM_CLOSE to the top-level windows of every process running the
    // image (taskkill without /f): an orderly close, like the close box.
    void CloseWindowsOf(const std::string &image);

    // Waits for a started process to end; returns its exit status, or -1
    // when it was still running at the deadline.
    static int WaitExit(pid_t pid, int timeout_ms);

    // Ends every process of the prefix at once.
    void Kill();

    // Programs started from now on run in the locale (LANG and LC_ALL),
    // found in locale_dir (LOCPATH): Wine takes the ANSI code page from it.
    void UseLocale(const std::string &locale_dir, const std::string &locale);

  private:
    void EnsureServer();
    std::vector<std::string> Environment() const;

    std::string path_;
    std::vector<std::string> locale_;
    bool server_started_ = false;
};

// Makes the glibc locale name (for example "ru_RU.CP1251", from the
// sources ru_RU and CP1251) in dir, once; false when it cannot.
bool MakeLocale(const std::string &dir, const std::string &source, const std::string &charmap,
                const std::string &name);

// A client connection to 127.0.0.1, from 127.0.0.1 or another loopback
// address (the server gives each address a share of its connections).
class TcpClient {
  public:
    TcpClient() = default;
    ~TcpClient();
    TcpClient(const TcpClient &) = delete;
    TcpClient &operator=(const TcpClient &) = delete;

    // receive_buffer: the socket's receive buffer in bytes (0: the
    // system's), set before connecting so that the peer sees a small window.
    // from: the address to connect from ("": the system's choice).
    bool Connect(int port, int receive_buffer = 0, const std::string &from = "");
    bool Send(const std::string &bytes);
    // Everything the peer sends until it closes (or resets), at most
    // timeout_ms. closed tells whether the peer did close in time.
    std::string ReadUntilClosed(int timeout_ms, bool *closed = nullptr);
    // Closes its side for sending; reading goes on.
    void ShutdownSend();
    // Closes with a reset instead of an orderly end.
    void Reset();
    void Close();

  private:
    int fd_ = -1;
};

// Polls until something accepts connections on the port. Each probe is an
// empty connection that is closed at once.
bool WaitForPort(int port, int timeout_ms);

// Whether a connection to the port is refused (nothing listens).
bool PortRefuses(int port);

// One exchange: connect, send the request whole, read until the peer ends
// the connection or timeout_ms passes.
struct Reply {
    bool connected = false;
    bool closed = false;                   // the peer ended the connection (close or reset)
    std::string bytes = "<no connection>"; // what the peer sent, once connected
    double ms = 0;                         // from connect to the end
};
Reply Exchange(int port, const std::string &request, int timeout_ms = 20000);

} // namespace e2e
