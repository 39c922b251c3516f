#include "server/history/journal_line.h"

#include <cstdio>
#include <cstring>

#include "common/ansi_text.h"
#include "common/clock.h"

const char kJournalHead[] = "\xEF\xBB\xBF"
                            "date,time,event,name,time text,destination,return time,detail\r\n";

void AppendCsvField(std::string &out, const char *text, unsigned code_page) {
    if (!text || std::strcmp(text, " ") == 0) return;
    std::string field;
    // A spreadsheet runs a cell as a formula when its first character
    // after any blanks is one of these (a tab or a carriage return can
    // hide the sign that follows them).
    const char *first = text;
    while (*first == ' ') ++first;
    if (*first != '\0' && std::strchr("=+-@\t\r", *first)) field += '\'';
    AppendUtf8FromAnsi(field, text, code_page);
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

namespace {

void AppendField(std::string &out, const char *text, unsigned code_page) {
    out += ',';
    AppendCsvField(out, text, code_page);
}

} // namespace

void AppendJournalLine(std::string &out, const ClockTime &when, const JournalEntry &entry,
                       unsigned code_page) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d,%02d:%02d:%02d", when.year % 10000,
                  when.month % 100, when.day % 100, when.hour % 100, when.minute % 100,
                  when.second % 100);
    out += stamp;
    AppendField(out, entry.event, code_page);
    AppendField(out, entry.name, code_page);
    AppendField(out, entry.time_text, code_page);
    AppendField(out, entry.destination, code_page);
    AppendField(out, entry.return_time, code_page);
    AppendField(out, entry.detail, code_page);
    out += "\r\n";
}
