#include "server/history/history_recorder.h"

#include "common/clock.h"

const char *JournalEvent(BoardChange::Kind kind) {
    switch (kind) {
    case BoardChange::SignedIn:
        return "in";
    case BoardChange::SignedOut:
        return "out";
    case BoardChange::Added:
        return "added";
    case BoardChange::Renamed:
        return "renamed";
    case BoardChange::Deleted:
        return "deleted";
    case BoardChange::Reset:
        return "reset";
    }
    return "";
}

void HistoryRecorder::Record(const BoardChange &change) {
    JournalEntry entry;
    entry.event = JournalEvent(change.kind);
    entry.name = change.name.c_str();
    entry.detail =
        change.kind == BoardChange::Renamed ? change.old_name.c_str() : change.peer.c_str();
    // The record as this change left it (a deleted one has none).
    const UserRecord &record = change.record;
    if (change.kind != BoardChange::Deleted) {
        entry.time_text = record.time;
        // What an in member's record still holds of a sign-out is no part
        // of being in.
        if (record.in_out == 0) {
            entry.destination = record.destination;
            entry.return_time = record.return_time;
        }
    }
    journal_.Add(clock_.Now(), entry);
}
