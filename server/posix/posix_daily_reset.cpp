#include "server/posix/posix_daily_reset.h"

#include <string>
#include <vector>

#include "common/clock.h"
#include "common/clock_text.h"
#include "server/board/user_table.h"
#include "server/posix/posix_server.h"

void PosixDailyReset::Start() {
    CalendarDate last;
    bool known = ReadLastReset(server_.settings, last);
    schedule_.Start(known ? &last : nullptr, server_.clock.Now(), server_.settings.ResetTime);
    Check();
}

void PosixDailyReset::Check() {
    if (unwritten_) Keep(unwritten_date_);
    CalendarDate date;
    if (schedule_.Due(server_.clock.Now(), server_.settings.ResetTime, date)) Make(date);
}

void PosixDailyReset::Rearm() {
    CalendarDate settled;
    if (schedule_.Rearm(server_.clock.Now(), server_.settings.ResetTime, settled)) Keep(settled);
}

// Writes lastreset.txt; a refusal is told (once, not at every retry) and
// kept for the next check.
void PosixDailyReset::Keep(const CalendarDate &date) {
    bool told = unwritten_;
    unwritten_ = !WriteLastReset(server_.settings, date);
    unwritten_date_ = date;
    if (!unwritten_ || told) return;
    char path[400];
    BuildLastResetPath(server_.settings, path, sizeof path);
    server_.status.SetStatusText((std::string("Cannot write ") + path).c_str());
}

// One reload, the members who are in signed out, one save, one page write
// and a journal line for each member signed out.
void PosixDailyReset::Make(const CalendarDate &date) {
    int hour = 0, minute = 0;
    ParseResetTime(server_.settings.ResetTime, hour, minute);
    char time_text[kClockTextCapacity];
    FormatClockTime(ClockTime{hour, minute, 0}, time_text, sizeof time_text);
    BoardContext board = server_.Board();
    if (!server_.publisher.Reload(board)) {
        // Nobody is signed out from a board that could not be read; the
        // reset is tried again at the next check.
        PublishResult unread;
        unread.load_failed = true;
        server_.ReportPublish(unread);
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
    PublishResult published = server_.publisher.Publish(board, changes, {});
    server_.ReportPublish(published);
    server_.TellWatchers();
    if (published.save_failed) return;
    schedule_.Made(date);
    Keep(date);
}
