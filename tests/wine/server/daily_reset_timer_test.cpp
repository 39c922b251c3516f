// The daily reset on the main window's timer: a reset missed while the
// server was down made at its start, the next one made by the timer's
// message, and what the reset reports told on the status line.
#include <string>

#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/server_state.h"
#include "tests/wine/server/shell_fixture.h"

namespace {

const char kBoard[] = "Ann-1- -09:00- -\r\nBob-0-Holiday-17:00-Monday-\r\n";
const char kAnnOutAt1100[] = "Ann-0- -11:00am- -\r\nBob-0-Holiday-17:00-Monday-\r\n";

class DailyResetTimerTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        board_dir = MakeDirectory("board");
        CopyCut(server.settings.WorkingDir, board_dir.c_str());
        WriteFile(DataFile(), kBoard);
        LoadBoard(server.table, server.settings, server.board_reader, nullptr);
        SortAndCompact(server.table);
    }
    std::string DataFile() const { return board_dir + "\\tesmar.dat"; }
    std::string LastReset() const { return board_dir + "\\lastreset.txt"; }
    void At(int hour, int minute, int day = 14) {
        clock.time = ClockTime{hour, minute, 0, 2026, 3, day};
    }

    std::string board_dir;
};

TEST_F(DailyResetTimerTest, StartMakesTheMissedResetAndTheTimerMakesTheNextAndTellsAFailure) {
    CopyCut(server.settings.ResetTime, "11:00");
    WriteFile(LastReset(), "2026-03-12\r\n");
    At(12, 0);
    StartDailyReset(server, server.main_window);
    EXPECT_EQ(ReadBytes(DataFile()), kAnnOutAt1100);
    EXPECT_EQ(ReadBytes(LastReset()), "2026-03-14\r\n");

    // The next day's reset, from the timer's message; lastreset.txt cannot
    // be written (a directory stands there), and the status line says so.
    WriteFile(DataFile(), kBoard);
    ASSERT_TRUE(DeleteFileA(LastReset().c_str()));
    ASSERT_TRUE(CreateDirectoryA(LastReset().c_str(), nullptr));
    At(11, 0, 15);
    SendMessageA(server.main_window, WM_TIMER, kDailyResetTimer, 0);
    EXPECT_EQ(ReadBytes(DataFile()), kAnnOutAt1100);
    EXPECT_EQ(std::string(server.status.Text()), "Cannot write " + LastReset());
    EXPECT_TRUE(KillTimer(server.main_window, kDailyResetTimer)); // it was set
    RemoveDirectoryA(LastReset().c_str());
}

} // namespace
