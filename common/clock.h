// The local wall clock, handed in to whatever stamps a time (the board page,
// the client's time fields), so that tests can set the time.
#pragma once

struct ClockTime {
    int hour;   // 0-23
    int minute; // 0-59
    int second; // 0-59
    // The date; clocks that keep none (some test clocks) leave it 0.
    int year = 0;  // e.g. 2026
    int month = 0; // 1-12
    int day = 0;   // 1-31
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual ClockTime Now() = 0;
};

// The machine's local clock: one implementation a platform, chosen by the
// build (clock_posix.cpp natively, clock_win32.cpp in the Windows programs).
Clock &SystemClock();
