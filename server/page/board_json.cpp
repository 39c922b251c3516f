#include "server/page/board_json.h"

#include "common/ansi_text.h"
#include "common/clock.h"
#include "server/board/user_table.h"
#include "server/page/overdue.h"

#include <cstdio>
#include <cstring>

namespace {

// Appends text (ANSI, NUL-terminated within capacity bytes) as a JSON
// string. The conversion comes first: in a double-byte code page a trail
// byte may look like a quote or a backslash, in UTF-8 no byte of a
// character beyond ASCII does.
void AppendString(std::string &out, const char *text, size_t capacity, unsigned code_page) {
    char field[64];
    size_t n = strnlen(text, capacity < sizeof field ? capacity : sizeof field - 1);
    std::memcpy(field, text, n);
    field[n] = '\0';
    if (std::strcmp(field, " ") == 0) field[0] = '\0';
    std::string utf8;
    AppendUtf8FromAnsi(utf8, field, code_page);

    out += '"';
    for (char c : utf8) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"') {
            out += "\\\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace

void AppendBoardJson(std::string &out, const UserTable &table, const ClockTime &made,
                     unsigned code_page) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp,
                  "{\"made\": \"%04d-%02d-%02dT%02d:%02d:%02d\", \"members\": [", made.year,
                  made.month, made.day, made.hour, made.minute, made.second);
    out += stamp;
    uint32_t count = UsedSlots(table);
    for (uint32_t i = 0; i < count; ++i) {
        const UserRecord &record = table.slots[i];
        bool in = record.in_out != 0;
        out += i == 0 ? "\n" : ",\n";
        out += "{\"name\": ";
        AppendString(out, record.name, sizeof record.name, code_page);
        out += in ? ", \"in\": true, \"time\": " : ", \"in\": false, \"time\": ";
        AppendString(out, record.time, sizeof record.time, code_page);
        out += ", \"destination\": ";
        AppendString(out, in ? "" : record.destination, sizeof record.destination, code_page);
        out += ", \"return\": ";
        AppendString(out, in ? "" : record.return_time, sizeof record.return_time, code_page);
        out += IsOverdue(record, made) ? ", \"overdue\": true}" : ", \"overdue\": false}";
    }
    out += count == 0 ? "]}\n" : "\n]}\n";
}
