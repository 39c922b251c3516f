#include "common/clock_text.h"

#include <cstdio>

#include "common/clock.h"

char *FormatClockTime(Clock &clock, char *out, size_t capacity) {
    return FormatClockTime(clock.Now(), out, capacity);
}

char *FormatClockTime(const ClockTime &time, char *out, size_t capacity) {
    int hour = time.hour % 24, minute = time.minute % 60;
    if (capacity == 0) return out;
    if (hour >= 12)
        std::snprintf(out, capacity, "%d:%02dpm", hour == 12 ? 12 : hour - 12, minute);
    else
        std::snprintf(out, capacity, "%d:%02dam", hour, minute);
    return out;
}
