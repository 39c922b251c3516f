// The edits of the board: the administrator's add, rename and delete, and
// the daily reset's sign-out of everyone.
#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/board/board_change.h"
#include "server/board/user_table.h"

#include <cstring>

namespace {

const char kNameRefused[] = "A user name cannot contain \"-\" or be a single space.";

// The data file splits fields at "-" and reads a name of one space back as
// a free slot, so neither can be stored.
bool FileCanHold(const char *name) {
    return !HoldsFieldSeparator(name) && std::strcmp(name, " ") != 0;
}

void Warn(BoardContext &board, const char *text, const char *caption) {
    board.alerts.Ask(text, caption, AlertIcon::Warning, AlertButtons::Ok);
}

size_t Used(const UserTable &table) { return UsedSlots(table); }

} // namespace

bool AddUser(BoardContext &board, const char *name, BoardChange *change) {
    char cut[sizeof(UserRecord::name)];
    CopyCut(cut, name);
    BlankControlBytes(cut);
    if (!FileCanHold(cut)) {
        Warn(board, kNameRefused, "Add User");
        return false;
    }
    UserTable &table = board.table;
    size_t used = Used(table);
    for (size_t i = 0; i < used; ++i) {
        if (CompareNamesExact(table.slots[i].name, cut) == 0) {
            Warn(board, "That user already exists.", "Add User");
            return false;
        }
    }
    // The first free slot from count on: a reload may have filled slots
    // beyond count from lines added to the file by hand, and those are
    // kept.
    size_t slot = used;
    while (slot < static_cast<size_t>(kMaxUsers) && table.slots[slot].name[0] != '\0') ++slot;
    if (slot >= static_cast<size_t>(kMaxUsers)) {
        Warn(board,
             "This program will not support more than 150 users\n\r"
             "on one server.  Start another server on a different port.",
             "Add User");
        return false;
    }
    UserRecord &record = table.slots[slot];
    ClearRecord(record);
    CopyCut(record.name, cut);
    record.in_out = 1;
    CopyCut(record.time, "12:00");
    if (change) {
        change->kind = BoardChange::Added;
        change->name = cut;
        change->old_name.clear();
        change->record = record;
    }
    SortAndCompact(table);
    return true;
}

bool RenameUser(BoardContext &board, const char *old_name, const char *new_name,
                BoardChange *change) {
    char cut[sizeof(UserRecord::name)];
    CopyCut(cut, new_name);
    BlankControlBytes(cut);
    if (!FileCanHold(cut)) {
        Warn(board, kNameRefused, "Edit User");
        return false;
    }
    UserTable &table = board.table;
    size_t used = Used(table);
    UserRecord renamed = {};
    for (size_t i = 0; i < used; ++i) {
        if (CompareNamesExact(table.slots[i].name, old_name ? old_name : "") == 0) {
            CopyCut(table.slots[i].name, cut);
            if (cut[0] != '\0') renamed = table.slots[i];
            break;
        }
    }
    SortAndCompact(table);
    if (change) {
        change->kind = cut[0] == '\0' ? BoardChange::Deleted : BoardChange::Renamed;
        change->name = cut[0] == '\0' ? (old_name ? old_name : "") : cut;
        change->old_name = cut[0] == '\0' ? "" : (old_name ? old_name : "");
        change->record = renamed;
    }
    return true;
}

std::vector<int> SignEveryoneOut(UserTable &table, const char *time_text) {
    std::vector<int> changed;
    // Every slot, as requests search them: a reload fills slots without
    // setting the count.
    for (int i = 0; i < kMaxUsers; ++i) {
        UserRecord &record = table.slots[i];
        if (record.name[0] == '\0' || record.in_out == 0) continue;
        record.in_out = 0;
        CopyCut(record.time, time_text);
        CopyCut(record.destination, "");
        CopyCut(record.return_time, "");
        changed.push_back(i);
    }
    return changed;
}
