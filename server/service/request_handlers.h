// Turning one request line into a change of the board and a reply.
#pragma once

class Connection;
struct BoardContext;

struct RequestOutcome {
    enum Kind {
        Silent,     // no reply by the dispatch rule
        NotRequest, // answered "\n\r"
        NoMatch,    // a request naming no user: "1\n\r"
        Matched,    // a user's record was changed
    } kind = Silent;
    bool page_failed = false; // the board page could not be written
    bool save_failed = false; // the data file could not be saved: no reply sent
};

RequestOutcome DispatchRequest(BoardContext &board, const char *line, Connection &connection);
RequestOutcome HandleSignIn(BoardContext &board, const char *line, Connection &connection);
RequestOutcome HandleSignOut(BoardContext &board, const char *line, Connection &connection);
