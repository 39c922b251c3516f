// The roll call as JSON (UTF-8), for the marshals' page and the event
// stream: {"running": true, "drill": false, "started": "2026-12-09T10:15:00",
// "ended": null, "expected": 4, "safe": 1, "people": [{"name": "Ann",
// "state": "safe", "marked": "10:17", "by": "192.168.1.20"}, ...]}. No
// roll call yet: running false, started and ended null, nobody.
#pragma once
#include <string>

struct ClockTime;
struct RollCall;

void AppendRollCallJson(std::string &out, const RollCall &roll, unsigned code_page);

// Appends text (ANSI in code_page) as a JSON string.
void AppendJsonText(std::string &out, const std::string &text, unsigned code_page);

// "YYYY-MM-DDTHH:MM:SS".
std::string IsoDateTime(const ClockTime &time);
