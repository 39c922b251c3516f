#include "server/shell/daily_reset_timer.h"

#include <vector>

#include "common/clock.h"
#include "common/clock_text.h"
#include "common/fixed_text.h"
#include "server/history/daily_reset.h"
#include "server/shell/server_state.h"

namespace {

ResetSchedule g_schedule;

// A date that lastreset.txt should hold but could not be written with; it
// is written at every check until that works, so that a restart does not
// make the same reset again.
bool g_unwritten = false;
CalendarDate g_unwritten_date;

// Writes lastreset.txt; a refusal is told on the status line with the
// file's path (once, not at every retry) and kept for the next check.
void KeepLastReset(const CalendarDate &date) {
    ServerState &server = TheServer();
    bool told = g_unwritten;
    g_unwritten = !WriteLastReset(server.settings, date);
    g_unwritten_date = date;
    if (!g_unwritten || told) return;
    char path[400];
    BuildLastResetPath(server.settings, path, sizeof path);
    char text[sizeof path + 16];
    CopyCut(text, "Cannot write ");
    AppendCut(text, path);
    server.status.SetStatusText(text);
}

// One reload, the members who are in signed out, one save, one page write
// and a journal line for each member signed out.
void MakeReset(const CalendarDate &date) {
    int hour = 0, minute = 0;
    ParseResetTime(TheServer().settings.ResetTime, hour, minute);
    char time_text[kClockTextCapacity];
    FormatClockTime(ClockTime{hour, minute, 0}, time_text, sizeof time_text);

    ServerState &server = TheServer();
    BoardContext board = server.Board();
    if (!server.publisher.Reload(board)) {
        // Nobody is signed out from a board that could not be read; the
        // reset is tried again at the next check.
        PublishResult unread;
        unread.load_failed = true;
        server.ReportPublish(unread);
        return;
    }
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
    KeepLastReset(date);
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
    if (g_unwritten) KeepLastReset(g_unwritten_date);
    CalendarDate date;
    if (g_schedule.Due(SystemClock().Now(), TheServer().settings.ResetTime, date)) MakeReset(date);
}

void RearmDailyReset() {
    CalendarDate settled;
    if (g_schedule.Rearm(SystemClock().Now(), TheServer().settings.ResetTime, settled))
        KeepLastReset(settled);
}
