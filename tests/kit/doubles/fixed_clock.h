// A clock that shows the time it is set to (12:00:00 unless told).
#pragma once
#include "common/clock.h"

class FixedClock : public Clock {
  public:
    explicit FixedClock(ClockTime time = ClockTime{12, 0, 0}) : time(time) {}
    FixedClock(int hour, int minute) : time{hour, minute, 0} {}
    ClockTime Now() override { return time; }
    ClockTime time;
};
