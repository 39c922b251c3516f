// The board as JSON for the web port's feed: when it was made and every
// member in board order, in UTF-8.
#pragma once
#include <string>

struct ClockTime;
struct UserTable;

// made: the server's local date and time when the board was published.
// Appends {"made": "YYYY-MM-DDTHH:MM:SS", "members": [{"name": ..., "in":
// true, "time": ..., "destination": ..., "return": ...}, ...]} for records
// 0 to count - 1 to out. Texts are converted from the ANSI code page
// code_page to UTF-8 and escaped as JSON strings. A field holding only the
// data file's one-space stand-in for an empty field is "", and so are the
// destination and return of a member who is in (the page leaves them blank
// too). "overdue" is true for a member past a return time of today at
// made (IsOverdue).
void AppendBoardJson(std::string &out, const UserTable &table, const ClockTime &made,
                     unsigned code_page);
