// The journal the publisher is told of changes through, in front of the
// history's: it passes every change on, and once a publication (before its
// replies) hands that publication's changes to the roll call, which saves
// what they changed of it.
#pragma once
#include <vector>

#include "server/board/change_journal.h"

class RollCallDesk;

class RollCallFollower : public ChangeJournal {
  public:
    // next: the journal behind (null: none).
    RollCallFollower(RollCallDesk &desk, ChangeJournal *next) : desk_(desk), next_(next) {}

    void Record(const BoardChange &change) override;
    bool Flush() override;

  private:
    RollCallDesk &desk_;
    ChangeJournal *next_;
    std::vector<BoardChange> kept_;
};
