#include "server/shell/daily_reset_timer.h"

#include <vector>

#include "common/clock.h"
#include "common/clock_text.h"
#include "server/history/daily_reset.h"
#include "server/shell/server_state.h"

namespace {

ResetSchedule g_schedule;

// One reload, the members who are in signed out, one save, one page write
// and a journal line for each member signed out.
void MakeReset(const CalendarDate &date) {
    int hour = 0, minute = 0;
    ParseResetTime(TheServer().settings.ResetTime, hour, minute);
    char time_text[kClockTextCapacity];
    FormatClockTime(ClockTime{hour, minute, 0}, time_text, sizeof time_text);

    ServerState &server = TheServer();
    BoardContext board = server.Board();
    server.publisher.Reload(board);
    std::vector<BoardChange> changes;
    for (int slot : SignEveryoneOut(board.table, time_text)) {
        BoardChange change;
        change.kind = BoardChange::Reset;
        change.name = board.table.slots[slot].name;
        change.record = board.table.slots[slot];
        changes.push_back(change);
    }
    PublishResult published = server.publisher.Publish(board, changes, {});
    server.ReportPublish(published);
    // A reset that could not be saved is tried again at the next tick.
    if (published.save_failed) return;
    g_schedule.Made(date);
    WriteLastReset(TheServer().settings, date);
}

} // namespace

void StartDailyReset(HWND window) {
    CalendarDate last;
    bool known = ReadLastReset(TheServer().settings, last) != 0;
    g_schedule.Start(known ? &last : nullptr, SystemClock().Now(), TheServer().settings.ResetTime);
    CheckDailyReset();
    SetTimer(window, kDailyResetTimer, kDailyResetCheckMs, nullptr);
}

void CheckDailyReset() {
    CalendarDate date;
    if (g_schedule.Due(SystemClock().Now(), TheServer().settings.ResetTime, date)) MakeReset(date);
}

void RearmDailyReset() {
    CalendarDate settled;
    if (g_schedule.Rearm(SystemClock().Now(), TheServer().settings.ResetTime, settled))
        WriteLastReset(TheServer().settings, settled);
}
