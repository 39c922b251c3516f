// What keeps the board's history, as whatever publishes the board tells it
// of changes: every published change once the data file holds it, before
// any reply is sent.
#pragma once
#include "server/board/board_change.h"

class ChangeJournal {
  public:
    virtual ~ChangeJournal() = default;
    virtual void Record(const BoardChange &change) = 0;
    // Once a publication, after its changes were recorded and before the
    // replies: writes them down. False when that failed.
    virtual bool Flush() { return true; }
};
