#include "server/board/user_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

void Put(UserTable &table, int slot, const char *name, const char *destination = "") {
    ClearRecord(table.slots[slot]);
    std::strcpy(table.slots[slot].name, name);
    std::strcpy(table.slots[slot].destination, destination);
}

std::vector<std::string> Names(const UserTable &table) {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < table.count; ++i) names.push_back(table.slots[i].name);
    return names;
}

bool IsCleared(const UserRecord &record) {
    UserRecord cleared;
    std::memset(&cleared, 0, sizeof cleared);
    return std::memcmp(&record, &cleared, sizeof record) == 0;
}

} // namespace

TEST(NameComparison, FoldsOnlyAsciiLettersAndComparesBytesUnsigned) {
    EXPECT_EQ(0, CompareNames("bob", "BOB"));
    EXPECT_NE(0, CompareNamesExact("bob", "BOB"));
    EXPECT_EQ(0, CompareNamesExact("bob", "bob"));
    EXPECT_LT(CompareNames("", "a"), 0);
    EXPECT_LT(CompareNames("ab", "ABC"), 0); // a proper beginning is smaller
    EXPECT_GT(CompareNames("abc", "AB"), 0);
    EXPECT_LT(CompareNames("_x", "Ax"), 0);     // 0x5F folds below 'a', not above 'Z'
    EXPECT_GT(CompareNames("\xE9", "z"), 0);    // high bytes are unsigned
    EXPECT_NE(0, CompareNames("\xC4", "\xE4")); // and not folded
}

TEST(SortAndCompact, PutsTheBoardInOrder) {
    // The board order: digits, the six characters between Z and a, letters
    // without regard to case, then the characters after z, then bytes of
    // 0x80 and above.
    const std::vector<std::string> order = {"0day", "9lives", "[x", "\\x",  "]x",    "^x",
                                            "_x",   "`x",     "a",  "Ab",   "abc",   "ABD",
                                            "m",    "Zed",    "{x", "\x80", "\xC4ke"};
    UserTable table;
    ClearTable(table);
    // Scattered in reverse, with free slots between them.
    for (size_t i = 0; i < order.size(); ++i)
        Put(table, 140 - 8 * static_cast<int>(i), order[i].c_str());
    SortAndCompact(table);
    EXPECT_EQ(order, Names(table));
}

TEST(SortAndCompact, KeepsNamesEqualButForCaseInTheirOrder) {
    UserTable table;
    ClearTable(table);
    Put(table, 3, "bob", "first");
    Put(table, 7, "Carl");
    Put(table, 20, "BOB", "second");
    Put(table, 21, "Al");
    Put(table, 90, "Bob", "third");
    for (int round = 0; round < 4; ++round) {
        SortAndCompact(table);
        ASSERT_EQ(5u, table.count);
        EXPECT_STREQ("Al", table.slots[0].name);
        EXPECT_STREQ("first", table.slots[1].destination);
        EXPECT_STREQ("second", table.slots[2].destination);
        EXPECT_STREQ("third", table.slots[3].destination);
        EXPECT_STREQ("Carl", table.slots[4].name);
    }
}

TEST(SortAndCompact, DropsFreeSlotsAndClearsEverythingAfterCount) {
    UserTable table;
    ClearTable(table);
    Put(table, 0, "", "left behind"); // a free slot, whatever else it holds
    table.slots[0].in_out = 1;
    Put(table, 149, "Zoe");
    table.slots[149].in_out = 1;
    Put(table, 75, "Amy");
    table.count = 42; // stale
    SortAndCompact(table);
    EXPECT_EQ((std::vector<std::string>{"Amy", "Zoe"}), Names(table));
    EXPECT_EQ(1, table.slots[1].in_out);
    for (int i = 2; i < kMaxUsers; ++i) EXPECT_TRUE(IsCleared(table.slots[i])) << "slot " << i;

    for (int i = 0; i < kMaxUsers; ++i) Put(table, i, ("u" + std::to_string(1000 - i)).c_str());
    SortAndCompact(table);
    EXPECT_EQ(150u, table.count);
    EXPECT_STREQ("u1000", table.slots[0].name); // compared as text, not as numbers
    EXPECT_STREQ("u851", table.slots[1].name);
    EXPECT_STREQ("u999", table.slots[149].name);
}
