// The daily reset: at the ResetTime of every day ("HH:MM", 24-hour; empty
// for never) every member who is in is signed out (SignEveryoneOut, among
// the board's edits) in one publication. The date of the last reset is kept
// in lastreset.txt in the working directory, so that a reset the server was
// not running for is made at its next start, once. The front end looks at
// it every few seconds (Check) and tells the administrator what the report
// says; nothing here calls back.
#pragma once
#include <cstddef>

#include "server/board/user_table.h"
#include "server/publish/publisher.h"
#include "server/reset/reset_schedule.h"

struct ClockTime;
struct ServerSettings;

// What one look at the reset did.
struct ResetReport {
    // A reset was made or tried: what its publication gave (load_failed
    // when the board could not be read and nobody was signed out).
    bool published = false;
    PublishResult publication;
    // lastreset.txt was refused just now (told once; it is tried again at
    // every check until it is written): its path.
    bool unwritten = false;
    char path[400] = "";
};

class DailyReset {
  public:
    // lastreset.txt is read through reader and replaced through writer.
    DailyReset(BoardContext board, Publisher &publisher, FileReader &reader, FileWriter &writer);
    DailyReset(const DailyReset &) = delete;
    DailyReset &operator=(const DailyReset &) = delete;

    // At start-up, once the board is loaded: the days from lastreset.txt
    // (missing or unreadable: no reset is made up for, the first is the next
    // time the reset time comes round), then a check.
    ResetReport Start(const ClockTime &now);

    // Writes lastreset.txt again when it was refused, then makes the reset
    // when one is owed. A reset whose board could not be read or saved is
    // still owed at the next check.
    ResetReport Check(const ClockTime &now);

    // ResetTime was changed: its first reset is the next time it comes
    // round, and that day is kept in lastreset.txt.
    ResetReport Rearm(const ClockTime &now);

  private:
    void MakeReset(const CalendarDate &date, ResetReport &report);
    void Keep(const CalendarDate &date, ResetReport &report);

    BoardContext board_;
    Publisher &publisher_;
    FileReader &reader_;
    FileWriter &writer_;
    ResetSchedule schedule_;
    // A date lastreset.txt should hold but could not be written with.
    bool unwritten_ = false;
    CalendarDate unwritten_date_ = {};
};

// WorkingDir, the separator and "lastreset.txt". False when it does not fit.
bool BuildLastResetPath(const ServerSettings &settings, char *out, size_t capacity);
// The date kept in lastreset.txt; false when the file is missing or holds no
// date.
bool ReadLastReset(const ServerSettings &settings, FileReader &reader, CalendarDate &date);
// Replaces lastreset.txt with the date and a line end. True when written.
bool WriteLastReset(const ServerSettings &settings, FileWriter &writer, const CalendarDate &date);
