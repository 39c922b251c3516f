// The history journal as the publisher tells it of changes: each published
// change becomes its journal line, with the member's record as that change
// left it, and the lines of one publication are appended at its end.
#pragma once
#include "server/board/board_change.h"
#include "server/board/change_journal.h"
#include "server/history/history_journal.h"

class Clock;

class HistoryRecorder : public ChangeJournal {
  public:
    HistoryRecorder(HistoryJournal &journal, Clock &clock) : journal_(journal), clock_(clock) {}

    void Record(const BoardChange &change) override;
    bool Flush() override { return journal_.Flush(); }

  private:
    HistoryJournal &journal_;
    Clock &clock_;
};

// The journal's word for a kind of change: "in", "out", "added",
// "renamed", "deleted", "reset".
const char *JournalEvent(BoardChange::Kind kind);
