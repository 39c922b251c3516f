// Whether a member who is out is past the return time they gave. Only a
// return time that reads as a clock time ("2:30pm", "14:30", "11:00am",
// "2pm") counts; "Monday", "tomorrow" or "after lunch" never make anyone
// overdue.
#pragma once

struct ClockTime;
struct UserRecord;

// Reads text as a time of day: H:MM (0-23) or H[:MM] followed by am/pm
// (1-12), spaces around it and before am/pm allowed, letters in any case.
// Gives the minutes since midnight; false when it is no such time.
bool ReadClockMinutes(const char *text, int &minutes);

// The record is out, its return time reads as a clock time of today, and
// that time has passed by now (the minute after it on). A return time
// earlier than a readable out time lies after midnight: not overdue today.
bool IsOverdue(const UserRecord &record, const ClockTime &now);
