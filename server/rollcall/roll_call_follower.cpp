#include "server/rollcall/roll_call_follower.h"

#include "server/rollcall/roll_call_desk.h"

void RollCallFollower::Record(const BoardChange &change) {
    if (next_) next_->Record(change);
    kept_.push_back(change);
}

bool RollCallFollower::Flush() {
    std::vector<BoardChange> changes;
    changes.swap(kept_);
    desk_.Follow(changes);
    return next_ ? next_->Flush() : true;
}
