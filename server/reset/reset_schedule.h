// The daily reset's calendar and schedule: the ResetTime text ("HH:MM",
// 24-hour; empty for never), the dates kept in lastreset.txt, and which
// day's reset is owed.
#pragma once
#include <cstddef>

struct ClockTime;

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// "HH:MM" or "H:MM", hours 0-23, minutes 0-59. False for anything else,
// the empty text (never) included.
bool ParseResetTime(const char *text, int &hour, int &minute);

// "YYYY-MM-DD" at the text's start (a real date). False for anything else.
bool ParseDate(const char *text, CalendarDate &date);
// "YYYY-MM-DD" into out (11 bytes at least).
void FormatDate(const CalendarDate &date, char *out, size_t capacity);
// <0, 0, >0.
int CompareDates(const CalendarDate &a, const CalendarDate &b);

// The date of the last moment at or before now at which the clock read
// hour:minute: today when now is at or after it, else the day before.
CalendarDate LatestResetDate(const ClockTime &now, int hour, int minute);

// When resets are due. "Settled" is the date of the last reset made (or
// passed over); a reset is due when the latest reset moment falls on a
// later date. Several missed days make one reset.
class ResetSchedule {
  public:
    // At start, from lastreset.txt's date (null when it is missing or
    // unreadable: then no reset is made up for, and the first is the next
    // time the reset time comes round).
    void Start(const CalendarDate *last_reset, const ClockTime &now, const char *reset_time);

    // Whether a reset is due at now; when it is, date gets the date to
    // keep once it is made (see Made).
    bool Due(const ClockTime &now, const char *reset_time, CalendarDate &date);
    void Made(const CalendarDate &date);

    // A new reset time: its first reset is the next time it comes round.
    // Returns the date now settled (to be kept), false when there is no
    // reset time.
    bool Rearm(const ClockTime &now, const char *reset_time, CalendarDate &settled);

  private:
    bool settled_known_ = false;
    CalendarDate settled_;
};
