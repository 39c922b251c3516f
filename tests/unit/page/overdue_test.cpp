#include "server/page/overdue.h"

#include "common/clock.h"
#include "server/board/user_table.h"
#include "tests/kit/board_test_support.h"

#include <gtest/gtest.h>

namespace {

UserRecord Out(const char *time, const char *back) {
    UserTable table;
    ClearTable(table);
    Put(table, 0, "Ann", 0, "Bank", time, back);
    return table.slots[0];
}

bool OverdueAt(int hour, int minute, const char *back, const char *time = "9:00am") {
    return IsOverdue(Out(time, back), ClockTime{hour, minute, 0});
}

} // namespace

TEST(Overdue, ClockTimesInEitherFormReadAsMinutesOfTheDay) {
    int m = -1;
    EXPECT_TRUE(ReadClockMinutes("2:30pm", m));
    EXPECT_EQ(14 * 60 + 30, m);
    EXPECT_TRUE(ReadClockMinutes("14:30", m));
    EXPECT_EQ(14 * 60 + 30, m);
    EXPECT_TRUE(ReadClockMinutes(" 11:00 AM ", m));
    EXPECT_EQ(11 * 60, m);
    EXPECT_TRUE(ReadClockMinutes("12:15am", m));
    EXPECT_EQ(15, m);
    EXPECT_TRUE(ReadClockMinutes("12pm", m));
    EXPECT_EQ(12 * 60, m);
    EXPECT_TRUE(ReadClockMinutes("0:00", m));
    EXPECT_EQ(0, m);
    for (const char *text : {"Monday", "tomorrow", "14", "", " ", "24:00", "13:00pm", "0:30am",
                             "2:3pm", "2:60", "2:30pm later", "123:00", "in 30 min"})
        EXPECT_FALSE(ReadClockMinutes(text, m)) << text;
}

TEST(Overdue, OnlyAnOutMemberPastTodaysReturnTime) {
    EXPECT_FALSE(OverdueAt(14, 30, "2:30pm")); // the minute itself is not past
    EXPECT_TRUE(OverdueAt(14, 31, "2:30pm"));
    EXPECT_TRUE(OverdueAt(15, 0, "14:30"));
    EXPECT_FALSE(OverdueAt(23, 59, "Monday"));
    UserRecord in = Out("9:00am", "10:00am");
    in.in_out = 1;
    EXPECT_FALSE(IsOverdue(in, ClockTime{12, 0, 0}));
}

TEST(Overdue, AroundMidnight) {
    // Out late, back after midnight: tomorrow's time, not overdue tonight.
    EXPECT_FALSE(OverdueAt(23, 55, "0:15", "11:50pm"));
    EXPECT_FALSE(OverdueAt(23, 55, "12:15am", "11:50pm"));
    // At midnight nothing of the new day has passed yet.
    EXPECT_FALSE(OverdueAt(0, 0, "12:00am", "junk"));
    EXPECT_TRUE(OverdueAt(0, 1, "12:00am", "junk"));
    EXPECT_TRUE(OverdueAt(23, 59, "11:58pm", "6:00pm"));
}
