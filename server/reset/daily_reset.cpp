#include "server/reset/daily_reset.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/clock.h"
#include "common/clock_text.h"
#include "common/files.h"
#include "common/fixed_text.h"
#include "server/board/board_change.h"
#include "server/board/server_settings.h"

DailyReset::DailyReset(BoardContext board, Publisher &publisher, FileReader &reader,
                       FileWriter &writer)
    : board_(board), publisher_(publisher), reader_(reader), writer_(writer) {}

ResetReport DailyReset::Start(const ClockTime &now) {
    CalendarDate last;
    bool known = ReadLastReset(board_.settings, reader_, last);
    schedule_.Start(known ? &last : nullptr, now, board_.settings.ResetTime);
    return Check(now);
}

ResetReport DailyReset::Check(const ClockTime &now) {
    ResetReport report;
    if (unwritten_) Keep(unwritten_date_, report);
    CalendarDate date;
    if (schedule_.Due(now, board_.settings.ResetTime, date)) MakeReset(date, report);
    return report;
}

ResetReport DailyReset::Rearm(const ClockTime &now) {
    ResetReport report;
    CalendarDate settled;
    if (schedule_.Rearm(now, board_.settings.ResetTime, settled)) Keep(settled, report);
    return report;
}

// One reload, the members who are in signed out, one publication (save,
// page, a journal line for each member signed out).
void DailyReset::MakeReset(const CalendarDate &date, ResetReport &report) {
    int hour = 0, minute = 0;
    ParseResetTime(board_.settings.ResetTime, hour, minute);
    char time_text[kClockTextCapacity];
    FormatClockTime(ClockTime{hour, minute, 0}, time_text, sizeof time_text);

    report.published = true;
    if (!publisher_.Reload(board_)) {
        // Nobody is signed out from a board that could not be read.
        report.publication.load_failed = true;
        return;
    }
    std::vector<BoardChange> changes;
    for (int slot : SignEveryoneOut(board_.table, time_text)) {
        BoardChange change;
        change.kind = BoardChange::Reset;
        change.name = board_.table.slots[slot].name;
        change.record = board_.table.slots[slot];
        changes.push_back(change);
    }
    report.publication = publisher_.Publish(board_, changes, {});
    if (report.publication.save_failed) return;
    schedule_.Made(date);
    Keep(date, report);
}

// Writes lastreset.txt; a refusal is reported with the file's path once,
// not at every retry.
void DailyReset::Keep(const CalendarDate &date, ResetReport &report) {
    bool told = unwritten_;
    unwritten_ = !WriteLastReset(board_.settings, writer_, date);
    unwritten_date_ = date;
    if (!unwritten_ || told) return;
    report.unwritten = true;
    BuildLastResetPath(board_.settings, report.path, sizeof report.path);
}

bool BuildLastResetPath(const ServerSettings &settings, char *out, size_t capacity) {
    size_t dir = strnlen(settings.WorkingDir, sizeof settings.WorkingDir);
    int n = std::snprintf(out, capacity, "%.*s%clastreset.txt", static_cast<int>(dir),
                          settings.WorkingDir, kPathSeparator);
    if (n < 0 || static_cast<size_t>(n) >= capacity) {
        if (capacity > 0) out[0] = '\0';
        return false;
    }
    return true;
}

bool ReadLastReset(const ServerSettings &settings, FileReader &reader, CalendarDate &date) {
    char path[400];
    if (!BuildLastResetPath(settings, path, sizeof path)) return false;
    if (reader.OpenFile(path) != FileReader::Open) return false;
    char text[16] = "";
    long n = reader.ReadSome(text, sizeof text - 1);
    reader.CloseFile();
    if (n < 0) return false;
    text[n] = '\0';
    return ParseDate(text, date);
}

bool WriteLastReset(const ServerSettings &settings, FileWriter &writer, const CalendarDate &date) {
    char path[400];
    if (!BuildLastResetPath(settings, path, sizeof path)) return false;
    char text[16];
    FormatDate(date, text, sizeof text);
    AppendCut(text, "\r\n");
    return writer.ReplaceDurably(path, text, std::strlen(text));
}
