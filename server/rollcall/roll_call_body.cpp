#include "server/rollcall/roll_call_body.h"

#include "common/json_reader.h"

namespace {

struct Seen {
    int commands = 0;
    bool safe = false;
    bool ok = true;
};

// One member of the object: its value read into out.
bool ReadMember(JsonReader &json, const std::string &key, RollCallCommand &out, Seen &seen) {
    bool flag = false;
    if (key == "start" || key == "end") {
        if (!json.Bool(flag) || !flag) return false;
        out.kind = key == "start" ? RollCallCommand::Start : RollCallCommand::End;
        ++seen.commands;
        return true;
    }
    if (key == "mark") {
        if (json.Peek() != '"' || !json.String(out.name)) return false;
        out.kind = RollCallCommand::Mark;
        ++seen.commands;
        return true;
    }
    if (key == "drill") return json.Bool(out.drill);
    if (key == "safe") {
        seen.safe = true;
        return json.Bool(out.safe);
    }
    return json.Skip();
}

} // namespace

bool ReadRollCallBody(const char *body, size_t size, RollCallCommand &out) {
    if (size > kMaxRollCallBodyBytes) return false;
    JsonReader json(body, body + size);
    RollCallCommand command;
    Seen seen;
    if (!json.Take('{') || json.Take('}')) return false;
    do {
        std::string key;
        if (!json.String(key) || !json.Take(':') || !ReadMember(json, key, command, seen))
            return false;
    } while (json.Take(','));
    if (!json.Take('}') || !json.AtEnd() || seen.commands != 1) return false;
    if (command.kind == RollCallCommand::Mark && (!seen.safe || command.name.empty())) return false;
    out = command;
    return true;
}
