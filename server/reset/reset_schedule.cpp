#include "server/reset/reset_schedule.h"

#include <cstdio>
#include <cstring>

#include "common/clock.h"

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

CalendarDate DayBefore(CalendarDate date) {
    if (--date.day >= 1) return date;
    if (--date.month < 1) {
        date.month = 12;
        --date.year;
    }
    date.day = DaysInMonth(date.year, date.month);
    return date;
}

} // namespace

bool ParseResetTime(const char *text, int &hour, int &minute) {
    if (!text) return false;
    size_t n = std::strlen(text);
    const char *colon = std::strchr(text, ':');
    if (!colon || (colon - text != 1 && colon - text != 2) ||
        n != static_cast<size_t>(colon - text) + 3)
        return false;
    for (const char *p = text; *p; ++p)
        if (p != colon && !Digit(*p)) return false;
    int h = colon - text == 1 ? text[0] - '0' : (text[0] - '0') * 10 + (text[1] - '0');
    int m = (colon[1] - '0') * 10 + (colon[2] - '0');
    if (h > 23 || m > 59) return false;
    hour = h;
    minute = m;
    return true;
}

bool ParseDate(const char *text, CalendarDate &date) {
    static const char kShape[] = "dddd-dd-dd";
    for (size_t i = 0; i + 1 < sizeof kShape; ++i) {
        bool digit = kShape[i] == 'd';
        if (digit ? !Digit(text[i]) : text[i] != '-') return false;
    }
    CalendarDate d;
    d.year =
        (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0');
    d.month = (text[5] - '0') * 10 + (text[6] - '0');
    d.day = (text[8] - '0') * 10 + (text[9] - '0');
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month))
        return false;
    date = d;
    return true;
}

void FormatDate(const CalendarDate &date, char *out, size_t capacity) {
    std::snprintf(out, capacity, "%04d-%02d-%02d", date.year % 10000, date.month % 100,
                  date.day % 100);
}

int CompareDates(const CalendarDate &a, const CalendarDate &b) {
    if (a.year != b.year) return a.year < b.year ? -1 : 1;
    if (a.month != b.month) return a.month < b.month ? -1 : 1;
    if (a.day != b.day) return a.day < b.day ? -1 : 1;
    return 0;
}

CalendarDate LatestResetDate(const ClockTime &now, int hour, int minute) {
    CalendarDate today;
    today.year = now.year;
    today.month = now.month;
    today.day = now.day;
    if (now.hour * 60 + now.minute >= hour * 60 + minute) return today;
    return DayBefore(today);
}

void ResetSchedule::Start(const CalendarDate *last_reset, const ClockTime &now,
                          const char *reset_time) {
    settled_known_ = false;
    if (last_reset) {
        settled_ = *last_reset;
        settled_known_ = true;
        return;
    }
    CalendarDate ignored;
    Rearm(now, reset_time, ignored);
}

bool ResetSchedule::Due(const ClockTime &now, const char *reset_time, CalendarDate &date) {
    int hour, minute;
    if (!ParseResetTime(reset_time, hour, minute)) return false;
    CalendarDate latest = LatestResetDate(now, hour, minute);
    if (!settled_known_) {
        // No reset date known yet: the first reset is the next one.
        settled_ = latest;
        settled_known_ = true;
        return false;
    }
    if (CompareDates(latest, settled_) <= 0) return false;
    date = latest;
    return true;
}

void ResetSchedule::Made(const CalendarDate &date) {
    settled_ = date;
    settled_known_ = true;
}

bool ResetSchedule::Rearm(const ClockTime &now, const char *reset_time, CalendarDate &settled) {
    int hour, minute;
    if (!ParseResetTime(reset_time, hour, minute)) return false;
    settled_ = LatestResetDate(now, hour, minute);
    settled_known_ = true;
    settled = settled_;
    return true;
}
