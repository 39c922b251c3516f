#include "server/reset/reset_schedule.h"

#include <gtest/gtest.h>

#include "tests/kit/board_test_support.h"

namespace {

ClockTime At(int year, int month, int day, int hour, int minute) {
    ClockTime t{hour, minute, 0};
    t.year = year;
    t.month = month;
    t.day = day;
    return t;
}

CalendarDate Date(int year, int month, int day) {
    CalendarDate d;
    d.year = year;
    d.month = month;
    d.day = day;
    return d;
}

std::string Text(const CalendarDate &date) {
    char text[16];
    FormatDate(date, text, sizeof text);
    return text;
}

TEST(ResetSchedule, ResetTimeAndDateTexts) {
    int hour = -1, minute = -1;
    EXPECT_TRUE(ParseResetTime("18:05", hour, minute));
    EXPECT_EQ(hour * 100 + minute, 1805);
    EXPECT_TRUE(ParseResetTime("7:30", hour, minute));
    EXPECT_EQ(hour * 100 + minute, 730);
    for (const char *bad : {"", "24:00", "12:60", "1230", "12:3", "12:30 ", "ab:cd", "-1:30"})
        EXPECT_FALSE(ParseResetTime(bad, hour, minute)) << bad;

    CalendarDate date;
    ASSERT_TRUE(ParseDate("2028-02-29\r\n", date));
    EXPECT_EQ(Text(date), "2028-02-29");
    EXPECT_FALSE(ParseDate("2027-02-29", date));
    EXPECT_FALSE(ParseDate("2027-1-01", date));
    EXPECT_FALSE(ParseDate("", date));
}

TEST(ResetSchedule, LatestResetMomentIsTodayOnceItsTimeHasComeElseTheDayBefore) {
    EXPECT_EQ(Text(LatestResetDate(At(2026, 12, 8, 18, 0), 18, 0)), "2026-12-08");
    EXPECT_EQ(Text(LatestResetDate(At(2026, 12, 8, 17, 59), 18, 0)), "2026-12-07");
    EXPECT_EQ(Text(LatestResetDate(At(2027, 1, 1, 6, 0), 18, 0)), "2026-12-31");
    EXPECT_EQ(Text(LatestResetDate(At(2028, 3, 1, 0, 0), 0, 1)), "2028-02-29");
}

TEST(ResetSchedule, MissedResetIsMadeOnceAtStartAndTheSameDaysResetStillComes) {
    // Last reset on the 5th, started on the 8th at 07:00 with 18:00:
    // the 7th's reset was missed (and the 6th's): one reset, kept as the 7th.
    CalendarDate last = Date(2026, 12, 5), due;
    ResetSchedule schedule;
    schedule.Start(&last, At(2026, 12, 8, 7, 0), "18:00");
    ASSERT_TRUE(schedule.Due(At(2026, 12, 8, 7, 0), "18:00", due));
    EXPECT_EQ(Text(due), "2026-12-07");
    schedule.Made(due);
    EXPECT_FALSE(schedule.Due(At(2026, 12, 8, 7, 0), "18:00", due));
    EXPECT_FALSE(schedule.Due(At(2026, 12, 8, 17, 59), "18:00", due));
    ASSERT_TRUE(schedule.Due(At(2026, 12, 8, 18, 0), "18:00", due));
    EXPECT_EQ(Text(due), "2026-12-08");
    schedule.Made(due);
    EXPECT_FALSE(schedule.Due(At(2026, 12, 8, 23, 0), "18:00", due));
    // No reset time: never.
    EXPECT_FALSE(schedule.Due(At(2026, 12, 20, 18, 0), "", due));
}

TEST(ResetSchedule, WithoutALastResetOrAfterANewTimeTheFirstResetIsTheNextOne) {
    CalendarDate due, settled;
    ResetSchedule missing;
    missing.Start(nullptr, At(2026, 12, 8, 19, 0), "18:00");
    EXPECT_FALSE(missing.Due(At(2026, 12, 8, 19, 0), "18:00", due));
    EXPECT_TRUE(missing.Due(At(2026, 12, 9, 18, 0), "18:00", due));

    // Set at 10:00 to 08:00 after a last reset days ago: nothing today.
    CalendarDate last = Date(2026, 12, 1);
    ResetSchedule changed;
    changed.Start(&last, At(2026, 12, 8, 9, 0), "");
    ASSERT_TRUE(changed.Rearm(At(2026, 12, 8, 10, 0), "08:00", settled));
    EXPECT_EQ(Text(settled), "2026-12-08");
    EXPECT_FALSE(changed.Due(At(2026, 12, 8, 10, 0), "08:00", due));
    EXPECT_TRUE(changed.Due(At(2026, 12, 9, 8, 0), "08:00", due));
    EXPECT_FALSE(changed.Rearm(At(2026, 12, 9, 8, 0), "", settled));
}

} // namespace
