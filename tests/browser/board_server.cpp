#include "tests/browser/board_server.h"

#include <exception>

namespace browser {

BoardServer::BoardServer(const std::string &name) : dir_(std::string(BROWSER_RUN_DIR) + "/" + name) {
    e2e::RemoveTree(dir_);
    e2e::MakeDirectories(dir_ + "/work");
}

BoardServer::~BoardServer() {
    prefix_.reset(); // ends the server with its prefix
    e2e::RemoveTree(dir_);
}

std::string BoardServer::StartWithBoard(const std::vector<BoardRecord> &records) {
    std::string exe = e2e::WindowsBuildDir() + "/server/shell/tesmar.exe";
    if (!e2e::FileExists(exe)) return "no " + exe + " (build the windows preset first)";
    std::string data;
    for (const BoardRecord &r : records) {
        auto field = [](const std::string &text) { return text.empty() ? std::string(" ") : text; };
        data += field(r.name) + "-" + std::to_string(r.flag) + "-" + field(r.destination) + "-" +
                field(r.time) + "-" + field(r.return_time) + "-\r\n";
    }
    e2e::WriteFile(DataFile(), data);
    try {
        prefix_ = std::make_unique<e2e::WinePrefix>(dir_ + "/prefix");
    } catch (const std::exception &failure) {
        return failure.what();
    }
    port_ = e2e::FreePort();
    prefix_->SetMachineValues("SOFTWARE\\KVT\\Tesmar",
                              {{"WorkingDir", e2e::WindowsPath(dir_ + "/work")},
                               {"Port", std::to_string(port_)},
                               {"HTMLFile", e2e::WindowsPath(PagePath())}});
    prefix_->Start(exe, {}, dir_ + "/tesmar.out");
    if (!e2e::WaitForPort(port_, 60000))
        return "tesmar.exe does not listen on port " + std::to_string(port_) + " within 60 s";
    return "";
}

std::string BoardServer::Request(const std::string &line) const {
    return e2e::Exchange(port_, line);
}

} // namespace browser
