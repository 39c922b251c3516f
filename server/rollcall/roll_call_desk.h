// The roll call as the server keeps it: the marshals' commands and the
// board's changes applied, every change saved to rollcall.dat before it is
// answered or told to anyone, the report written at the end, the journal
// given a line for the start, each mark and the end. A change that could
// not be saved is not made: the roll call stays as the file holds it.
#pragma once
#include <string>
#include <vector>

#include "server/board/board_change.h"
#include "server/rollcall/roll_call.h"
#include "server/rollcall/roll_call_body.h"

class Clock;
class FileReader;
class FileWriter;
class HistoryJournal;
struct ServerSettings;
struct UserTable;

// What the desk tells the program around it.
class RollCallListener {
  public:
    virtual ~RollCallListener() = default;
    // A failure for the status line.
    virtual void Say(const char *text) = 0;
    // The roll call changed (and is saved, when it could be).
    virtual void Changed(const RollCall &roll) = 0;
};

struct RollCallReply {
    int status = 200; // 200, 404 (no such name), 409 (none runs, or one runs), 503 (not saved)
    std::string json; // the reply's body
};

class RollCallDesk {
  public:
    // rollcall.dat is read through reader; it and the reports are written
    // through writer.
    RollCallDesk(const ServerSettings &settings, Clock &clock, unsigned code_page,
                 FileReader &reader, FileWriter &writer);

    void SetListener(RollCallListener *listener) { listener_ = listener; }
    // Told of the start, each mark and the end (none by default).
    void SetJournal(HistoryJournal *journal) { journal_ = journal; }
    void SetFileReader(FileReader *reader) { reader_ = reader; }

    // At start-up: the roll call of rollcall.dat. A file that is not a
    // whole roll call is set aside under a name of its own and said on
    // the status line; the server then has none.
    void Load();

    // A marshal's command, by the address given (the desk: "desk").
    RollCallReply Apply(const RollCallCommand &command, const UserTable &table,
                        const std::string &by);
    // The changes of a publication, while a roll call runs. They happened on
    // the board, so they are kept even when the file cannot be saved (said
    // on the status line; the next change saves them).
    void Follow(const std::vector<BoardChange> &changes);

    const RollCall &Current() const { return roll_; }
    // The roll call as JSON.
    std::string Json() const;
    // The report of the last roll call that ended; empty when none has.
    std::string Report() const;

  private:
    bool Save(const RollCall &roll);
    bool WriteReport(const RollCall &roll);
    void Journal(const char *event, const std::string &name, const std::string &by);
    void Say(const char *what, const char *path);

    const ServerSettings &settings_;
    Clock &clock_;
    unsigned code_page_;
    RollCall roll_;
    RollCallListener *listener_ = nullptr;
    HistoryJournal *journal_ = nullptr;
    FileReader *reader_;
    FileWriter &writer_;
};
