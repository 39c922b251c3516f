#include "server/shell/daily_reset_timer.h"

#include <vector>

#include "common/clock.h"
#include "common/clock_text.h"
#include "server/board/board_file.h"
#include "server/history/daily_reset.h"
#include "server/page/board_page.h"
#include "server/shell/server_state.h"

namespace {

ResetSchedule g_schedule;

// One reload, the members who are in signed out, one save, one page write.
void MakeReset(const CalendarDate &date) {
    int hour = 0, minute = 0;
    ParseResetTime(g_settings.ResetTime, hour, minute);
    char time_text[kClockTextCapacity];
    FormatClockTime(ClockTime{hour, minute, 0}, time_text, sizeof time_text);

    BoardContext board = ServerBoard();
    LoadBoard(board.table, board.settings);
    SignEveryoneOut(board.table, time_text);
    BoardWrites writes;
    writes.saved = SaveBoard(board.table, board.settings) != 0;
    if (writes.saved) {
        writes.page_written = !BoardPageConfigured(board.settings) ||
                              WriteBoardPage(board.table, board.settings, board.clock) != 0;
    }
    ReportBoardWrites(writes);
    // A reset that could not be saved is tried again at the next tick.
    if (!writes.saved) return;
    g_schedule.Made(date);
    WriteLastReset(g_settings, date);
}

} // namespace

void StartDailyReset(HWND window) {
    CalendarDate last;
    bool known = ReadLastReset(g_settings, last) != 0;
    g_schedule.Start(known ? &last : nullptr, SystemClock().Now(), g_settings.ResetTime);
    CheckDailyReset();
    SetTimer(window, kDailyResetTimer, kDailyResetCheckMs, nullptr);
}

void CheckDailyReset() {
    CalendarDate date;
    if (g_schedule.Due(SystemClock().Now(), g_settings.ResetTime, date)) MakeReset(date);
}

void RearmDailyReset() {
    CalendarDate settled;
    if (g_schedule.Rearm(SystemClock().Now(), g_settings.ResetTime, settled))
        WriteLastReset(g_settings, settled);
}
