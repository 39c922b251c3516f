// What the administration from a browser works on, handed in by the
// server's shell: the board with the User Manager's publication of a
// change, the settings with their store, the key crypto, and the facts the
// status shows. Portable: the shell implements it over its program object,
// tests over doubles.
#pragma once
#include <cstddef>
#include <string>

#include "server/board/user_table.h"
#include "server/publish/publisher.h"

class FileReader;
class KeyCrypto;
class SettingsStore;
struct BoardChange;
struct ServerSettings;

struct AdminFacts {
    std::string status;     // the status line
    size_t connections = 0; // open connections, watchers included
    bool service = false;   // run by the service control manager
    std::string version;    // "1.42.0"
};

class AdminHost {
  public:
    virtual ~AdminHost() = default;
    virtual BoardContext Board() = 0;
    // Brings the board up to date with the data file before an edit; false
    // when the file is there and could not be read.
    virtual bool ReloadBoard() = 0;
    // The User Manager's publication of one edit: data file, page, journal,
    // watchers, and what failed of it on the status line.
    virtual PublishResult PublishChange(const BoardChange &change) = 0;
    virtual ServerSettings &Settings() = 0;
    virtual SettingsStore &Store() = 0;
    virtual KeyCrypto &Crypto() = 0;
    // A setting of that name was changed and stored: it takes effect now
    // (the daily reset re-armed, the page made again, the keys checked
    // against their new hashes).
    virtual void SettingChanged(const char *name) = 0;
    virtual AdminFacts Facts() = 0;
    // How the history's files are read.
    virtual FileReader &Files() = 0;
};

// A reply of the administration: its status, content type and body.
struct AdminReply {
    int status = 200;
    std::string type = "application/json";
    std::string body;
};

// {"ok": true} or {"ok": false, "error": text} with the status.
AdminReply AdminOk();
AdminReply AdminRefusal(int status, const std::string &text);
