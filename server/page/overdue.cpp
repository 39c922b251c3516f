#include "server/page/overdue.h"

#include "common/ascii_case.h"
#include "common/clock.h"
#include "server/board/user_table.h"

#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one or two digits at p; false when there are none.
bool ReadNumber(const char *&p, int &value, int max_digits) {
    if (!IsDigit(*p)) return false;
    value = 0;
    for (int i = 0; i < max_digits && IsDigit(*p); ++i) value = value * 10 + (*p++ - '0');
    return !IsDigit(*p);
}

} // namespace

bool ReadClockMinutes(const char *text, int &minutes) {
    const char *p = text;
    while (*p == ' ') ++p;
    int hour = 0;
    int minute = 0;
    if (!ReadNumber(p, hour, 2)) return false;
    bool has_minutes = *p == ':';
    if (has_minutes) {
        ++p;
        if (!IsDigit(p[0]) || !IsDigit(p[1])) return false;
        if (!ReadNumber(p, minute, 2) || minute > 59) return false;
    }
    while (*p == ' ') ++p;
    char half = FoldAscii(*p);
    bool twelve_hour = (half == 'a' || half == 'p') && FoldAscii(p[1]) == 'm';
    if (twelve_hour) {
        p += 2;
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (half == 'p' ? 12 : 0);
    } else if (!has_minutes || hour > 23) {
        return false; // a bare number is no time of day
    }
    while (*p == ' ') ++p;
    if (*p != '\0') return false;
    minutes = hour * 60 + minute;
    return true;
}

bool IsOverdue(const UserRecord &record, const ClockTime &now) {
    if (record.in_out != 0) return false;
    char text[sizeof record.return_time + 1];
    size_t n = strnlen(record.return_time, sizeof record.return_time);
    std::memcpy(text, record.return_time, n);
    text[n] = '\0';
    int back = 0;
    if (!ReadClockMinutes(text, back)) return false;
    char out_text[sizeof record.time + 1];
    n = strnlen(record.time, sizeof record.time);
    std::memcpy(out_text, record.time, n);
    out_text[n] = '\0';
    int out = 0;
    if (ReadClockMinutes(out_text, out) && back < out) return false;
    return now.hour * 60 + now.minute > back;
}
