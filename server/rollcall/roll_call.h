// The roll call: when the alarm sounds, everyone signed in at that moment
// is on a list that the marshals tick off as people reach the assembly
// point. It follows the board while it runs: someone still missing who
// signs out has left, someone who signs in is added as missing. Texts are
// in the board's ANSI code page, as on the board.
#pragma once
#include <string>
#include <vector>

#include "common/clock.h"

struct BoardChange;
struct UserTable;

enum class RollState { Missing, Safe, Left };

struct RollPerson {
    std::string name;
    RollState state = RollState::Missing;
    std::string marked; // "HH:MM" of the last change of state; empty while missing
    std::string by;     // who made it: a marshal's address; empty while missing
};

struct RollCall {
    bool held = false;    // a roll call was ever started (else the rest is empty)
    bool running = false; // started and not ended
    bool drill = false;
    ClockTime started = {};
    ClockTime ended = {};           // valid once held and not running
    std::vector<RollPerson> people; // in board order
};

enum class RollAnswer {
    Done,
    NotRunning, // no roll call runs
    Running,    // one runs already (a start)
    NoSuchName, // the name is not on the roll call
};

// Starts a roll call of every member signed in on the table, replacing
// the last one.
RollAnswer StartRollCall(RollCall &roll, const UserTable &table, bool drill, const ClockTime &now);
// Marks the person named (exactly, else the one name equal but for case)
// safe, or takes it back (missing again). found (optional) gets the name
// as the roll call has it.
RollAnswer MarkPerson(RollCall &roll, const std::string &name, bool safe, const std::string &by,
                      const ClockTime &now, std::string *found = nullptr);
RollAnswer EndRollCall(RollCall &roll, const ClockTime &now);

// A published change of the board while the roll call runs: a sign-out or
// reset of someone missing makes them left; a sign-in adds someone who is
// not on the list as missing and brings someone who left back as missing;
// a rename follows the name. True when the roll call changed.
bool FollowChange(RollCall &roll, const BoardChange &change, const ClockTime &now);

// Those expected at the assembly point (everyone who has not left) and
// those of them marked safe.
int ExpectedCount(const RollCall &roll);
int SafeCount(const RollCall &roll);

// "missing", "safe", "left".
const char *RollStateWord(RollState state);
// "HH:MM" of the time.
std::string ClockMinutes(const ClockTime &time);
