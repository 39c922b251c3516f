// The report of a roll call, written when it ends: a CSV file that
// spreadsheets open as they are (as the history journal), one row a
// person with the roll call's start, end and whether it was a drill on
// every row.
#pragma once
#include <cstddef>
#include <string>

struct RollCall;
struct ServerSettings;

// The report's bytes: the UTF-8 byte-order mark, the header line
// "name,state,marked,by,started,ended,drill", then a row a person.
std::string RollCallReport(const RollCall &roll, unsigned code_page);

// WorkingDir, the separator and "rollcall-YYYY-MM-DD-HHMM.csv" of the roll
// call's start. False when it does not fit in capacity bytes.
bool BuildReportPath(const ServerSettings &settings, const RollCall &roll, char *out,
                     size_t capacity);
