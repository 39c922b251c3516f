#include "server/rollcall/roll_call_report.h"

#include <cstdio>

#include "server/history/journal_line.h"
#include "server/rollcall/roll_call.h"
#include "server/rollcall/roll_call_file.h"

namespace {

std::string SpreadsheetTime(const ClockTime &time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year % 10000,
                  time.month % 100, time.day % 100, time.hour % 100, time.minute % 100,
                  time.second % 100);
    return text;
}

} // namespace

std::string RollCallReport(const RollCall &roll, unsigned code_page) {
    std::string out = "\xEF\xBB\xBF"
                      "name,state,marked,by,started,ended,drill\r\n";
    std::string tail = "," + SpreadsheetTime(roll.started) + ",";
    if (!roll.running) tail += SpreadsheetTime(roll.ended);
    tail += roll.drill ? ",yes\r\n" : ",no\r\n";
    for (const RollPerson &person : roll.people) {
        AppendCsvField(out, person.name.c_str(), code_page);
        out += ',';
        out += RollStateWord(person.state);
        out += ',';
        AppendCsvField(out, person.marked.c_str(), code_page);
        out += ',';
        AppendCsvField(out, person.by.c_str(), code_page);
        out += tail;
    }
    return out;
}

bool BuildReportPath(const ServerSettings &settings, const RollCall &roll, char *out,
                     size_t capacity) {
    const ClockTime &t = roll.started;
    char name[64];
    std::snprintf(name, sizeof name, "rollcall-%04d-%02d-%02d-%02d%02d.csv", t.year % 10000,
                  t.month % 100, t.day % 100, t.hour % 100, t.minute % 100);
    return BuildWorkingPath(settings, name, out, capacity);
}
