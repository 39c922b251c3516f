// The native server's daily reset: the board's DailyReset looked at from
// the server's wait every few seconds, and what it reports told on the
// status line.
#pragma once
#include <cstdint>

#include "server/reset/daily_reset.h"

struct PosixServer;

class PosixDailyReset {
  public:
    static constexpr std::uint64_t kCheckMs = 5000;

    explicit PosixDailyReset(PosixServer &server);
    // At start-up, once the board is loaded: the reset that was missed.
    void Start();
    // Every kCheckMs: writes lastreset.txt again when it was refused, then
    // makes the reset when it is due.
    void Check();
    // ResetTime was changed: its first reset is the next time it comes round.
    void Rearm();

  private:
    void Tell(const ResetReport &report);

    PosixServer &server_;
    DailyReset reset_;
};
