// tesmar.exe of the Windows build running under Wine in a private prefix,
// with a board and settings given by the test: what the browser test
// needs to have a real page written.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "tests/support/wine_session.h"

namespace browser {

// One line of the data file: name, flag (1 in, 0 out), destination, time,
// return time (an empty field is written as one space).
struct BoardRecord {
    std::string name;
    int flag;
    std::string destination, time, return_time;
};

class BoardServer {
  public:
    // name: a folder for this server under the build's temporary folder.
    explicit BoardServer(const std::string &name);
    ~BoardServer();
    BoardServer(const BoardServer &) = delete;
    BoardServer &operator=(const BoardServer &) = delete;

    // Writes the data file, sets the server's settings (working folder,
    // a free port, the page path; header and footer left to their
    // defaults) and starts tesmar.exe. "" when it listens, else why not.
    std::string StartWithBoard(const std::vector<BoardRecord> &records);

    // One request over TCP; the reply's bytes.
    std::string Request(const std::string &line) const;

    const std::string &Dir() const { return dir_; }
    std::string PagePath() const { return dir_ + "/work/board.htm"; }
    std::string DataFile() const { return dir_ + "/work/tesmar.dat"; }

  private:
    std::string dir_;
    int port_ = 0;
    std::unique_ptr<e2e::WinePrefix> prefix_;
};

} // namespace browser
