#include "server/board/user_table.h"

#include "common/ascii_case.h"

#include <algorithm>
#include <cstring>

void BlankControlBytes(char *text) {
    for (; *text != '\0'; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        if (c < 0x20 || c == 0x7f) *text = ' ';
    }
}

void ClearRecord(UserRecord &record) { std::memset(&record, 0, sizeof record); }

void ClearTable(UserTable &table) { std::memset(&table, 0, sizeof table); }

namespace {

unsigned char Fold(char c) { return FoldAscii(static_cast<unsigned char>(c)); }

} // namespace

int CompareNames(const char *a, const char *b) {
    for (;; ++a, ++b) {
        unsigned char x = Fold(*a), y = Fold(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

int CompareNamesExact(const char *a, const char *b) {
    int r = std::strcmp(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void SortAndCompact(UserTable &table) {
    // The records in use, in slot order; then a stable sort, so that names
    // equal but for case keep their order through any number of sorts.
    // (Free slots hold the smallest name and would all gather in front, so
    // dropping them first gives the same board.)
    UserRecord in_use[kMaxUsers];
    size_t used = 0;
    for (const UserRecord &record : table.slots) {
        if (record.name[0] == '\0') continue;
        UserRecord &kept = in_use[used++];
        kept = record;
        // Every text field ends within its capacity, whoever filled it.
        kept.name[sizeof kept.name - 1] = '\0';
        kept.destination[sizeof kept.destination - 1] = '\0';
        kept.time[sizeof kept.time - 1] = '\0';
        kept.return_time[sizeof kept.return_time - 1] = '\0';
    }
    std::stable_sort(in_use, in_use + used, [](const UserRecord &a, const UserRecord &b) {
        return CompareNames(a.name, b.name) < 0;
    });
    ClearTable(table);
    for (size_t i = 0; i < used; ++i) table.slots[i] = in_use[i];
    table.count = static_cast<uint32_t>(used);
}
