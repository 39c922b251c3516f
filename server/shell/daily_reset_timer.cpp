#include "server/shell/daily_reset_timer.h"

#include <vector>

#include "common/clock.h"
#include "common/clock_text.h"
#include "common/fixed_text.h"
#include "server/board/user_table.h"
#include "server/reset/daily_reset.h"
#include "server/shell/server_state.h"

namespace {

// Writes lastreset.txt; a refusal is told on the status line with the
// file's path (once, not at every retry) and kept for the next check.
void KeepLastReset(ServerState &server, const CalendarDate &date) {
    bool told = server.reset_unwritten;
    server.reset_unwritten = !WriteLastReset(server.settings, date);
    server.reset_unwritten_date = date;
    if (!server.reset_unwritten || told) return;
    char path[400];
    BuildLastResetPath(server.settings, path, sizeof path);
    char text[sizeof path + 16];
    CopyCut(text, "Cannot write ");
    AppendCut(text, path);
    server.status.SetStatusText(text);
}

// One reload, the members who are in signed out, one save, one page write
// and a journal line for each member signed out.
void MakeReset(ServerState &server, const CalendarDate &date) {
    int hour = 0, minute = 0;
    ParseResetTime(server.settings.ResetTime, hour, minute);
    char time_text[kClockTextCapacity];
    FormatClockTime(ClockTime{hour, minute, 0}, time_text, sizeof time_text);

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
    server.reset_schedule.Made(date);
    KeepLastReset(server, date);
}

} // namespace

void StartDailyReset(ServerState &server, HWND window) {
    CalendarDate last;
    bool known = ReadLastReset(server.settings, last) != 0;
    server.reset_schedule.Start(known ? &last : nullptr, server.clock.Now(),
                                server.settings.ResetTime);
    CheckDailyReset(server);
    SetTimer(window, kDailyResetTimer, kDailyResetCheckMs, nullptr);
}

void CheckDailyReset(ServerState &server) {
    if (server.reset_unwritten) KeepLastReset(server, server.reset_unwritten_date);
    CalendarDate date;
    if (server.reset_schedule.Due(server.clock.Now(), server.settings.ResetTime, date))
        MakeReset(server, date);
}

void RearmDailyReset(ServerState &server) {
    CalendarDate settled;
    if (server.reset_schedule.Rearm(server.clock.Now(), server.settings.ResetTime, settled))
        KeepLastReset(server, settled);
}
