// One change of the board, as the request handlers and the administrator's
// edits report it to whatever publishes the board (and keeps its history).
#pragma once
#include <string>

#include "server/board/user_table.h"

struct BoardChange {
    enum Kind {
        SignedIn,  // a member's sign-in request
        SignedOut, // a member's sign-out request
        Added,     // the administrator added a user
        Renamed,   // the administrator renamed a user
        Deleted,   // the administrator deleted a user
        Reset,     // the daily reset signed a member out
    } kind = SignedIn;
    std::string name;     // the record's name after the change (the deleted name)
    std::string old_name; // the name before a rename; empty otherwise
    std::string peer;     // the address a request came from; empty for edits
    // The member's record as this change left it (cleared for a delete).
    // Several changes of one member can be published together, so the
    // table at publication holds only the last of them.
    UserRecord record = {};
};
