// The clock text of both programs: a time of day as "9:07am" or "1:30pm"
// (the client's time fields, the time the server gives a daily reset).
#pragma once
#include <cstddef>

class Clock;
struct ClockTime;

// Room for the longest clock text and its NUL.
constexpr size_t kClockTextCapacity = 10;

// Writes the current time of clock into out: hours 0-11 as "%d:%02dam"
// (the hour after midnight shows as 0), 12 as 12 and 13-23 as 1-11 with
// "pm". Returns out.
char *FormatClockTime(Clock &clock, char *out, size_t capacity);

// The same text for a given time of day.
char *FormatClockTime(const ClockTime &time, char *out, size_t capacity);
