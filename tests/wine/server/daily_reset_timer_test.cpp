// The daily reset on the program's own clock: the timer's checks made as the
// test moves the clock, the data file and lastreset.txt read back.
#include <string>

#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/server_state.h"
#include "tests/wine/server/shell_fixture.h"

namespace {

const char kBoard[] = "Ann-1- -09:00- -\r\nBob-0-Holiday-17:00-Monday-\r\n";

class DailyResetTimerTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        board_dir = MakeDirectory("board");
        CopyCut(server.settings.WorkingDir, board_dir.c_str());
        WriteFile(DataFile(), kBoard);
        LoadBoard(server.table, server.settings);
        SortAndCompact(server.table);
    }
    std::string DataFile() const { return board_dir + "\\tesmar.dat"; }
    std::string LastReset() const { return board_dir + "\\lastreset.txt"; }
    void At(int hour, int minute, int day = 14) { clock.time = ClockTime{hour, minute, 0, 2026, 3, day}; }

    std::string board_dir;
};

TEST_F(DailyResetTimerTest, TheResetIsMadeWhenTheProgramsClockReachesItAndOnceADay) {
    CopyCut(server.settings.ResetTime, "12:30");
    // Without lastreset.txt nothing is made up for: the first reset is the
    // next 12:30.
    StartDailyReset(server, server.main_window);
    At(12, 29);
    CheckDailyReset(server);
    EXPECT_EQ(ReadBytes(DataFile()), kBoard);
    EXPECT_FALSE(Exists(LastReset()));

    At(12, 30);
    CheckDailyReset(server);
    EXPECT_EQ(ReadBytes(DataFile()), "Ann-0- -12:30pm- -\r\nBob-0-Holiday-17:00-Monday-\r\n");
    EXPECT_EQ(ReadBytes(LastReset()), "2026-03-14\r\n");

    // Ann signs in again: later checks that day leave her in, the next
    // day's reset signs her out.
    const std::string back_in = "Ann-1- -13:00- -\r\nBob-0-Holiday-17:00-Monday-\r\n";
    WriteFile(DataFile(), back_in);
    At(23, 59);
    CheckDailyReset(server);
    EXPECT_EQ(ReadBytes(DataFile()), back_in);
    At(12, 30, 15);
    CheckDailyReset(server);
    EXPECT_EQ(ReadBytes(DataFile()), "Ann-0- -12:30pm- -\r\nBob-0-Holiday-17:00-Monday-\r\n");
    EXPECT_EQ(ReadBytes(LastReset()), "2026-03-15\r\n");
}

TEST_F(DailyResetTimerTest, AResetMissedWhileTheServerWasDownIsMadeOnceAtItsStart) {
    CopyCut(server.settings.ResetTime, "11:00");
    WriteFile(LastReset(), "2026-03-12\r\n");
    At(12, 0);
    StartDailyReset(server, server.main_window);
    EXPECT_EQ(ReadBytes(DataFile()), "Ann-0- -11:00am- -\r\nBob-0-Holiday-17:00-Monday-\r\n");
    EXPECT_EQ(ReadBytes(LastReset()), "2026-03-14\r\n");

    WriteFile(DataFile(), kBoard);
    CheckDailyReset(server);
    EXPECT_EQ(ReadBytes(DataFile()), kBoard);
}

} // namespace
