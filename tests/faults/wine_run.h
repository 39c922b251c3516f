// What the fault tests add to the end-to-end helpers (tests/support):
// directories looked into, their Windows helper programs, and TCP
// exchanges that tell how and when they ended.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/tesmar_server.h"
#include "tests/support/wine_session.h"

namespace faults {

using e2e::BoardFile;
using e2e::FileExists;
using e2e::KillProcess;
using e2e::Listening;
using e2e::NowMs;
using e2e::ProcessRunning;
using e2e::ReadFile;
using e2e::StartProgram;
using e2e::TcpClient;
using e2e::TesmarExe;
using e2e::TesmarServer;
using e2e::UserName;
using e2e::WenloExe;
using e2e::WindowsPath;
using e2e::WinePrefix;
using e2e::WriteFile;

bool IsDirectory(const std::string &path);
// The names in a directory (no "." and "..").
std::vector<std::string> ListDirectory(const std::string &path);

// A helper program of the Windows build's fault tests (name without .exe).
std::string WindowsTestProgram(const std::string &name);

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
