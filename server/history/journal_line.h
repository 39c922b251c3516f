// One line of the history journal: a change of the board as a CSV record
// that spreadsheets open as they are (RFC 4180 quoting, UTF-8, no field
// that a spreadsheet would run as a formula).
#pragma once
#include <string>

struct ClockTime;

// The fields of one line, NUL-terminated texts in the ANSI code page (null
// for an empty field). A field of one space, how the data file keeps an
// empty field, is written empty.
struct JournalEntry {
    const char *event = nullptr; // "in", "out", "added", "renamed", "deleted", "reset"
    const char *name = nullptr;
    const char *time_text = nullptr;
    const char *destination = nullptr;
    const char *return_time = nullptr;
    const char *detail = nullptr; // the old name of a rename, a request's client address
};

// The first bytes of a new journal file: the UTF-8 byte-order mark and the
// header line.
extern const char kJournalHead[];

// Appends one field (NUL-terminated, in code_page; null or one space
// appends nothing) to out as UTF-8, guarded and quoted as below.
void AppendCsvField(std::string &out, const char *text, unsigned code_page);

// Appends the entry's line at when ("YYYY-MM-DD,HH:MM:SS,event,...", CR LF)
// to out. Texts are converted from code_page to UTF-8; a field whose first
// character after leading spaces is "=", "+", "-", "@", a tab or a CR gets
// a leading "'"; a field holding a comma, a quote, CR or LF is quoted, its
// quotes doubled.
void AppendJournalLine(std::string &out, const ClockTime &when, const JournalEntry &entry,
                       unsigned code_page);
