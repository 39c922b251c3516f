#include "server/publish/batch_dispatch.h"

#include "common/ascii_case.h"
#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/board/board_change.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/publish/connection.h"

#include <cstring>

namespace {

// The request after its two prefix characters is cut to this many.
constexpr size_t kWorkingCopyChars = 99;

// The fields of one request, each cut to the record field that takes it.
struct RequestTokens {
    char name[sizeof(UserRecord::name)];
    char time[sizeof(UserRecord::time)];
    char destination[sizeof(UserRecord::destination)];
    char return_time[sizeof(UserRecord::return_time)];
};

void Send(Connection &connection, const char *reply) { connection.Send(reply, std::strlen(reply)); }

// Takes the next token from *cursor into out (cut to capacity): a token is
// a maximal run of bytes other than "-", leading dashes and runs of dashes
// separate no empty tokens, spaces are kept. Returns false, leaving out
// empty, when no token is left.
bool NextToken(const char **cursor, char *out, size_t capacity) {
    const char *p = *cursor;
    while (*p == '-') ++p;
    size_t n = 0;
    bool found = *p != '\0';
    while (*p != '\0' && *p != '-') {
        if (n + 1 < capacity) out[n++] = *p;
        ++p;
    }
    out[n] = '\0';
    *cursor = p;
    return found;
}

// Splits the request line (prefix included) into its fields. A control
// byte that is still inside the line (a lone CR or LF, an LF CR before the
// CR LF that ended it, a tab, an escape) becomes a space, so that no stored
// field can break a line of the data file or carry a control character to
// the page and the feed. Fields that are missing are left empty. Returns
// false when there is no name.
bool SplitRequest(const char *line, bool sign_out, RequestTokens &tokens) {
    char working[kWorkingCopyChars + 1];
    size_t prefix = strnlen(line, 2);
    CopyCut(working, line + prefix);
    BlankControlBytes(working);
    const char *cursor = working;
    bool named = NextToken(&cursor, tokens.name, sizeof tokens.name);
    NextToken(&cursor, tokens.time, sizeof tokens.time);
    tokens.destination[0] = '\0';
    tokens.return_time[0] = '\0';
    if (sign_out) {
        NextToken(&cursor, tokens.destination, sizeof tokens.destination);
        NextToken(&cursor, tokens.return_time, sizeof tokens.return_time);
    }
    return named;
}

// Whether the board name begins with the given name, ASCII letters folded.
bool BeginsWith(const char *board_name, const char *given) {
    size_t n = std::strlen(given);
    if (strnlen(board_name, n) < n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (FoldAscii(board_name[i]) != FoldAscii(given[i])) return false;
    }
    return true;
}

// The slot a request names, over all 150 slots: the first whose name
// begins with the given name (case folded), unless a later one is exactly
// the given name, case included. Free slots never match. -1 for none.
int FindRequestedSlot(const UserTable &table, const char *given) {
    int first = -1;
    for (int i = 0; i < kMaxUsers; ++i) {
        const char *name = table.slots[i].name;
        if (name[0] == '\0' || !BeginsWith(name, given)) continue;
        if (CompareNamesExact(name, given) == 0) return i;
        if (first < 0) first = i;
    }
    return first;
}

// Changes the named record of a sign-in or sign-out request.
RequestOutcome::Kind ApplyChange(UserTable &table, const char *line, bool sign_out,
                                 BoardChange &change) {
    RequestTokens tokens;
    int slot = -1;
    if (SplitRequest(line, sign_out, tokens)) slot = FindRequestedSlot(table, tokens.name);
    if (slot < 0) return RequestOutcome::NoMatch;

    // The record keeps its name: a request only says who is in or out.
    UserRecord &record = table.slots[slot];
    record.in_out = sign_out ? 0 : 1;
    CopyCut(record.time, tokens.time);
    CopyCut(record.destination, tokens.destination);
    CopyCut(record.return_time, tokens.return_time);
    change.kind = sign_out ? BoardChange::SignedOut : BoardChange::SignedIn;
    change.name = record.name;
    change.old_name.clear();
    change.record = record;
    return RequestOutcome::Matched;
}

// Whether the line is a sign-in or sign-out request by the dispatch rule.
bool ChangesBoard(const char *line) { return line[0] == '#' && (line[1] == 'i' || line[1] == 'o'); }

} // namespace

RequestOutcome::Kind ApplyRequest(UserTable &table, const char *line, BoardChange &change) {
    // The first byte as a signed byte: 0x80 and above fall below "!".
    signed char first = static_cast<signed char>(line[0]);
    if (first < '!') return RequestOutcome::Silent;
    if (first == '#') {
        if (line[1] == 'i') return ApplyChange(table, line, false, change);
        if (line[1] == 'o') return ApplyChange(table, line, true, change);
        return RequestOutcome::Silent;
    }
    return RequestOutcome::NotRequest;
}

PublishResult DispatchBatch(BoardContext &board, Publisher &publisher,
                            const std::vector<PendingRequest> &requests,
                            std::vector<RequestOutcome::Kind> *kinds) {
    // The data file is the source of the records; when there is none the
    // requests go on with the table as it is. One that is there but cannot
    // be read changes nothing: its members' records are not known, and a
    // save would put the table's older ones over them.
    bool unreadable = false;
    for (const PendingRequest &request : requests) {
        if (ChangesBoard(request.line.c_str())) {
            unreadable = !publisher.Reload(board);
            break;
        }
    }
    std::vector<BoardChange> changes;
    std::vector<Connection *> replies;
    for (const PendingRequest &request : requests) {
        if (unreadable && ChangesBoard(request.line.c_str())) {
            // No reply, as for a change that could not be saved.
            if (kinds) kinds->push_back(RequestOutcome::Silent);
            continue;
        }
        BoardChange change;
        RequestOutcome::Kind kind = ApplyRequest(board.table, request.line.c_str(), change);
        if (kinds) kinds->push_back(kind);
        if (kind == RequestOutcome::NotRequest) Send(*request.connection, kReplyNotRequest);
        if (kind == RequestOutcome::NoMatch) Send(*request.connection, kReplyInvalidName);
        if (kind != RequestOutcome::Matched) continue;
        change.peer = request.peer;
        changes.push_back(change);
        replies.push_back(request.connection);
    }
    PublishResult result;
    if (!changes.empty()) result = publisher.Publish(board, changes, replies);
    result.load_failed = unreadable;
    return result;
}

RequestOutcome DispatchRequest(BoardContext &board, Publisher &publisher, const char *line,
                               Connection &connection, const char *peer) {
    std::vector<PendingRequest> one(1);
    one[0].line = line;
    one[0].connection = &connection;
    one[0].peer = peer ? peer : "";
    std::vector<RequestOutcome::Kind> kinds;
    RequestOutcome outcome;
    outcome.published = DispatchBatch(board, publisher, one, &kinds);
    outcome.kind = kinds[0];
    return outcome;
}
