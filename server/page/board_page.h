// The board page: an HTML file listing every user, rewritten after every
// change of the board.
#pragma once
#include <cstddef>

struct UserTable;
struct ServerSettings;
class Clock;
struct ClockTime;

// Writes the page to HTMLFile, replacing it durably; tries at most 5 times,
// 50 ms apart. Returns 1 when written, 0 when it was not (an empty HTMLFile,
// a path naming the data file itself, or the writes failing). An empty
// HTMLFile writes nothing.
int WriteBoardPage(const UserTable &table, const ServerSettings &settings, Clock &clock);

// The page's bytes for the table at the given time, appended to out
// (returns the length; the caller gives room for a full board).
size_t FormatBoardPage(const UserTable &table, const ServerSettings &settings,
                       const ClockTime &now, char *out, size_t capacity);

// Room enough for the page of a full board with the longest header/footer.
constexpr size_t kBoardPageCapacity = 160 * 1024;
