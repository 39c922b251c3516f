// A journal that keeps every change it is told of and counts its flushes
// (one a publication, right after the save); on_record, when set, runs at
// each change before it is kept.
#pragma once
#include <functional>
#include <vector>

#include "server/board/change_journal.h"

class RecordingChangeJournal : public ChangeJournal {
  public:
    void Record(const BoardChange &change) override {
        if (on_record) on_record(change);
        changes.push_back(change);
    }
    bool Flush() override {
        ++flushes;
        return true;
    }

    std::vector<BoardChange> changes;
    int flushes = 0;
    std::function<void(const BoardChange &)> on_record;
};
