// Turning request lines into changes of the board and replies.
#pragma once
#include <string>
#include <vector>

#include "server/publish/publisher.h"

class Connection;
struct BoardContext;
struct UserTable;

struct RequestOutcome {
    enum Kind {
        Silent,     // no reply by the dispatch rule
        NotRequest, // answered "\n\r"
        NoMatch,    // a request naming no user: "1\n\r"
        Matched,    // a user's record was changed
    } kind = Silent;
    // What the publish step did with a Matched request's change (nothing
    // failed for the other kinds, which publish nothing).
    PublishResult published;
};

// One complete request line waiting to be applied, with the connection it
// came on (which stays open until its reply is sent) and the peer's
// address.
struct PendingRequest {
    std::string line;
    Connection *connection = nullptr;
    std::string peer;
};

// Applies requests that completed together: one reload of the data file
// (when any of them is a sign-in or sign-out), each request applied in
// order, then one publication of all their changes. "1\n\r" and "\n\r",
// which change nothing, are sent as each request is applied; "0\n\r" only
// once the data file holds the change. When the data file is there but
// cannot be read, no sign-in or sign-out is applied or answered (kind
// Silent) and the result says load_failed. kinds (optional) gets each
// request's kind, in order. Returns what the publication did (nothing
// failed when nothing changed).
PublishResult DispatchBatch(BoardContext &board, Publisher &publisher,
                            const std::vector<PendingRequest> &requests,
                            std::vector<RequestOutcome::Kind> *kinds = nullptr);

// One request on its own: a batch of one.
RequestOutcome DispatchRequest(BoardContext &board, Publisher &publisher, const char *line,
                               Connection &connection, const char *peer = "");

// The change a request line makes to the table, nothing read, written or
// sent: Matched with change filled when a record was changed.
RequestOutcome::Kind ApplyRequest(UserTable &table, const char *line, BoardChange &change);
