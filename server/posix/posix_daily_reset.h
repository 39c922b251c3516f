// The native server's daily reset: every member who is in is signed out at
// ResetTime, and a reset missed while the server was not running is made at
// its start. Looked at from the server's wait every few seconds.
#pragma once
#include <cstdint>

#include "server/reset/daily_reset.h"

struct PosixServer;

class PosixDailyReset {
  public:
    static constexpr std::uint64_t kCheckMs = 5000;

    explicit PosixDailyReset(PosixServer &server) : server_(server) {}
    // At start-up, once the board is loaded: the reset that was missed.
    void Start();
    // Every kCheckMs: writes lastreset.txt again when it was refused, then
    // makes the reset when it is due.
    void Check();
    // ResetTime was changed: its first reset is the next time it comes round.
    void Rearm();

  private:
    void Keep(const CalendarDate &date);
    void Make(const CalendarDate &date);

    PosixServer &server_;
    ResetSchedule schedule_;
    // A date lastreset.txt should hold but could not be written with.
    bool unwritten_ = false;
    CalendarDate unwritten_date_ = {};
};
