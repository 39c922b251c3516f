// What a marshal asks of the roll call ("POST /rollcall"): the JSON body
// {"start": true} (with "drill": true for a drill), {"mark": "Name",
// "safe": true|false} or {"end": true}.
#pragma once
#include <cstddef>
#include <string>

constexpr size_t kMaxRollCallBodyBytes = 4 * 1024;

struct RollCallCommand {
    enum Kind { Start, Mark, End } kind = Start;
    bool drill = false;
    std::string name; // UTF-8
    bool safe = false;
};

// False when the body is not one such document: not one JSON object, none
// or more than one of start, mark and end, start or end not true, a mark
// without its safe, a member of ours of the wrong type, more than
// kMaxRollCallBodyBytes. Other members are passed over.
bool ReadRollCallBody(const char *body, size_t size, RollCallCommand &out);
