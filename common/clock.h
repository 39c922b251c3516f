// The local wall clock, handed in to whatever stamps a time (the board page,
// the client's time fields), so that tests can set the time.
#pragma once

struct ClockTime {
    int hour;   // 0-23
    int minute; // 0-59
    int second; // 0-59
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual ClockTime Now() = 0;
};

// The machine's local clock (one implementation per platform).
Clock &SystemClock();
