// What the fault tests add to the end-to-end helpers (tests/kit):
// directories looked into and their Windows helper programs.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

namespace faults {

using e2e::BoardFile;
using e2e::Exchange;
using e2e::FileExists;
using e2e::KillProcess;
using e2e::Listening;
using e2e::NowMs;
using e2e::ProcessRunning;
using e2e::Reply;
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

} // namespace faults
