// The daily reset whole: its checks on a clock the test moves, the data
// file and lastreset.txt read back, and what each look reports.
#include "server/reset/daily_reset.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "server/board/board_file.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/failing_file_reader.h"

namespace {

const char kBoard[] = "Ann-1- -09:00- -\r\nBob-0-Holiday-17:00-Monday-\r\n";
const char kAnnOutAt1230[] = "Ann-0- -12:30pm- -\r\nBob-0-Holiday-17:00-Monday-\r\n";

class DailyResetTest : public ::testing::Test {
  protected:
    DailyResetTest() {
        WriteBytes(DataFile(), kBoard);
        ReadBoardFile(table, settings);
        SortAndCompact(table);
    }
    std::string DataFile() const { return dir.File("tesmar.dat"); }
    std::string LastReset() const { return dir.File("lastreset.txt"); }
    static ClockTime At(int hour, int minute, int day = 14) {
        return ClockTime{hour, minute, 0, 2026, 3, day};
    }

    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir);
    UserTable table = {};
    RecordingAlerts alerts;
    FixedClock clock{At(12, 0)};
    PlatformFiles files;
    Publisher publisher{files.reader, files.writer};
    DailyReset reset{BoardContext{table, settings, alerts, clock}, publisher, files.reader,
                     files.writer};
};

TEST_F(DailyResetTest, TheResetIsMadeWhenTheClockReachesItAndOnceADay) {
    std::strcpy(settings.ResetTime, "12:30");
    // Without lastreset.txt nothing is made up for: the first reset is the
    // next 12:30.
    EXPECT_FALSE(reset.Start(At(12, 0)).published);
    EXPECT_FALSE(reset.Check(At(12, 29)).published);
    EXPECT_EQ(ReadBytes(DataFile()), kBoard);
    EXPECT_FALSE(std::filesystem::exists(LastReset()));

    ResetReport made = reset.Check(At(12, 30));
    EXPECT_TRUE(made.published);
    EXPECT_FALSE(made.publication.Failed());
    EXPECT_FALSE(made.unwritten);
    EXPECT_EQ(ReadBytes(DataFile()), kAnnOutAt1230);
    EXPECT_EQ(ReadBytes(LastReset()), "2026-03-14\r\n");

    // Ann signs in again: later checks that day leave her in, the next
    // day's reset signs her out.
    const std::string back_in = "Ann-1- -13:00- -\r\nBob-0-Holiday-17:00-Monday-\r\n";
    WriteBytes(DataFile(), back_in);
    EXPECT_FALSE(reset.Check(At(23, 59)).published);
    EXPECT_EQ(ReadBytes(DataFile()), back_in);
    EXPECT_TRUE(reset.Check(At(12, 30, 15)).published);
    EXPECT_EQ(ReadBytes(DataFile()), kAnnOutAt1230);
    EXPECT_EQ(ReadBytes(LastReset()), "2026-03-15\r\n");
}

TEST_F(DailyResetTest, AResetMissedWhileTheServerWasDownIsMadeOnceAtItsStart) {
    std::strcpy(settings.ResetTime, "11:00");
    WriteBytes(LastReset(), "2026-03-12\r\n");
    EXPECT_TRUE(reset.Start(At(12, 0)).published);
    EXPECT_EQ(ReadBytes(DataFile()), "Ann-0- -11:00am- -\r\nBob-0-Holiday-17:00-Monday-\r\n");
    EXPECT_EQ(ReadBytes(LastReset()), "2026-03-14\r\n");

    WriteBytes(DataFile(), kBoard);
    EXPECT_FALSE(reset.Check(At(12, 1)).published);
    EXPECT_EQ(ReadBytes(DataFile()), kBoard);
}

TEST_F(DailyResetTest, AnUnreadBoardAndARefusedLastResetAreTriedAgainAtTheNextCheck) {
    std::strcpy(settings.ResetTime, "12:30");
    reset.Start(At(12, 0));
    // The board cannot be read: nobody is signed out, the reset stays owed.
    FailingFileReader failing(4, 1);
    publisher.SetFileReader(&failing);
    ResetReport unread = reset.Check(At(12, 30));
    EXPECT_TRUE(unread.published);
    EXPECT_TRUE(unread.publication.load_failed);
    EXPECT_EQ(ReadBytes(DataFile()), kBoard);

    // Read again, the reset is made; lastreset.txt (a directory stands
    // there) is refused and said once, then written once it can be.
    publisher.SetFileReader(&files.reader);
    std::filesystem::create_directory(LastReset());
    ResetReport refused = reset.Check(At(12, 31));
    EXPECT_FALSE(refused.publication.Failed());
    EXPECT_EQ(ReadBytes(DataFile()), kAnnOutAt1230);
    EXPECT_TRUE(refused.unwritten);
    EXPECT_EQ(refused.path, LastReset());
    EXPECT_FALSE(reset.Check(At(12, 32)).unwritten);

    std::filesystem::remove(LastReset());
    ResetReport kept = reset.Check(At(12, 33));
    EXPECT_FALSE(kept.published); // the day's reset was made: only the file is written
    EXPECT_EQ(ReadBytes(LastReset()), "2026-03-14\r\n");
}

TEST(LastResetFile, HoldsTheDate) {
    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir);
    PlatformFiles files;
    CalendarDate date;
    EXPECT_FALSE(ReadLastReset(settings, files.reader, date));
    ASSERT_TRUE(WriteLastReset(settings, files.writer, CalendarDate{2026, 12, 7}));
    EXPECT_EQ(ReadBytes(dir.File("lastreset.txt")), "2026-12-07\r\n");
    ASSERT_TRUE(ReadLastReset(settings, files.reader, date));
    EXPECT_EQ(date.year * 10000 + date.month * 100 + date.day, 20261207);
    WriteBytes(dir.File("lastreset.txt"), "garbage");
    EXPECT_FALSE(ReadLastReset(settings, files.reader, date));
}

} // namespace
