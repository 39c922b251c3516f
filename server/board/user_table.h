// The board in memory: 150 fixed-width user records and the count of those
// in use, with the board order and its edits (the administrator's and the
// daily reset's).
#pragma once
#include <cstdint>
#include <vector>

class Alerts;
struct BoardChange;
class Clock;
struct ServerSettings;

constexpr int kMaxUsers = 150;

struct UserRecord {
    char name[20];      // empty name: a free slot
    signed char in_out; // non-zero: in
    char destination[30];
    char time[10];
    char return_time[30];
};

struct UserTable {
    UserRecord slots[kMaxUsers];
    uint32_t count;
};

// The slots in use: count, but never more than there are slots (a count
// read from elsewhere may be larger).
inline uint32_t UsedSlots(const UserTable &table) {
    return table.count < static_cast<uint32_t>(kMaxUsers) ? table.count : kMaxUsers;
}

// What the table operations work on: the table, the settings that name the
// data file and the page, and the platform seams.
struct BoardContext {
    UserTable &table;
    const ServerSettings &settings;
    Alerts &alerts;
    Clock &clock;
};

void ClearRecord(UserRecord &record);

// Control bytes (below 0x20, and 0x7F) in the NUL-terminated text become
// spaces: a field holds only what can be shown, and nothing in it can break
// a line of the data file or reach the page or the feed as a control
// character. Done wherever a field comes in (a request, the User Manager,
// the data file as read).
void BlankControlBytes(char *text);
void ClearTable(UserTable &table);

// Board order: ASCII A-Z folded to lower case, bytes compared unsigned, a
// proper beginning is smaller, the empty name smallest. <0, 0, >0.
int CompareNames(const char *a, const char *b);
// Byte for byte, case-sensitive. <0, 0, >0.
int CompareNamesExact(const char *a, const char *b);

// Stable sort of all 150 slots, records in use moved to the front, count set.
void SortAndCompact(UserTable &table);

// Adds a user (name cut to 19 characters), in and at "12:00". Refuses,
// with a warning and in this order, a name the data file cannot hold (one
// holding "-", or a single space), a duplicate (exact comparison with slots
// 0 to count - 1) and a full board (count 150, or no free slot from count
// on). On success sorts and compacts the table; the caller publishes it.
// True when added (the empty name too, which the compaction then
// drops), false when refused. change (optional) gets what changed.
bool AddUser(BoardContext &board, const char *name, BoardChange *change = nullptr);

// Renames the first record named old_name exactly among slots 0 to
// count - 1 (an empty or null new_name deletes it; new_name is cut to 19
// characters and not tested against the other names). Refuses a new name
// the data file cannot hold (one holding "-", or a single space) with a
// warning, changing nothing, and returns false. Otherwise sorts and compacts
// the table whether or not a record was found (the caller publishes it),
// and returns true; change (optional) gets what changed (Deleted for the
// empty new name).
bool RenameUser(BoardContext &board, const char *old_name, const char *new_name,
                BoardChange *change = nullptr);

// The daily reset's edit: signs out every member who is in (any slot
// holding a name): the time text becomes time_text, destination and return
// time empty. Members who are out keep their records. Returns the slots
// changed, in table order.
std::vector<int> SignEveryoneOut(UserTable &table, const char *time_text);
