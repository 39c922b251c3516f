#include "server/service/request_handlers.h"

#include "common/fixed_text.h"
#include "common/protocol.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/board_page.h"
#include "server/service/connection.h"

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

void Send(Connection &connection, const char *reply) {
    connection.Send(reply, std::strlen(reply));
}

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

// Splits the request line (prefix included) into its fields. A line end
// that is still inside the line (a lone CR or LF, or an LF CR before the
// CR LF that ended it) becomes a space, so that no stored field can break
// a line of the data file. Fields that are missing are left empty. Returns
// false when there is no name.
bool SplitRequest(const char *line, bool sign_out, RequestTokens &tokens) {
    char working[kWorkingCopyChars + 1];
    size_t prefix = strnlen(line, 2);
    CopyCut(working, line + prefix);
    for (char *p = working; *p != '\0'; ++p) {
        if (*p == '\r' || *p == '\n') *p = ' ';
    }
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
        char a = board_name[i], b = given[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
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

RequestOutcome HandleRequest(BoardContext &board, const char *line, bool sign_out,
                             Connection &connection) {
    RequestOutcome outcome;
    // The data file is the source of the records; when it cannot be read
    // the request goes on with the table as it is.
    LoadBoard(board.table, board.settings);

    RequestTokens tokens;
    int slot = -1;
    if (SplitRequest(line, sign_out, tokens)) slot = FindRequestedSlot(board.table, tokens.name);
    if (slot < 0) {
        outcome.kind = RequestOutcome::NoMatch;
        Send(connection, kReplyInvalidName);
        return outcome;
    }

    // The record keeps its name: a request only says who is in or out.
    UserRecord &record = board.table.slots[slot];
    record.in_out = sign_out ? 0 : 1;
    CopyCut(record.time, tokens.time);
    CopyCut(record.destination, tokens.destination);
    CopyCut(record.return_time, tokens.return_time);
    outcome.kind = RequestOutcome::Matched;

    // The page first, then the data file, then the reply; a change that
    // could not be saved is not reported as done.
    if (BoardPageConfigured(board.settings) &&
        !WriteBoardPage(board.table, board.settings, board.clock)) {
        outcome.page_failed = true;
    }
    if (!SaveBoard(board.table, board.settings)) {
        outcome.save_failed = true;
        return outcome;
    }
    Send(connection, kReplyDone);
    return outcome;
}

} // namespace

RequestOutcome DispatchRequest(BoardContext &board, const char *line, Connection &connection) {
    // The first byte as a signed byte: 0x80 and above fall below "!".
    signed char first = static_cast<signed char>(line[0]);
    if (first < '!') return RequestOutcome{};
    if (first == '#') {
        if (line[1] == 'i') return HandleSignIn(board, line, connection);
        if (line[1] == 'o') return HandleSignOut(board, line, connection);
        return RequestOutcome{};
    }
    Send(connection, kReplyNotRequest);
    RequestOutcome outcome;
    outcome.kind = RequestOutcome::NotRequest;
    return outcome;
}

RequestOutcome HandleSignIn(BoardContext &board, const char *line, Connection &connection) {
    return HandleRequest(board, line, false, connection);
}

RequestOutcome HandleSignOut(BoardContext &board, const char *line, Connection &connection) {
    return HandleRequest(board, line, true, connection);
}
