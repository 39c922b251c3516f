#include "server/rollcall/roll_call_file.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "common/files.h"
#include "common/file_reader.h"
#include "server/board/server_settings.h"
#include "server/rollcall/roll_call.h"
#include "server/rollcall/roll_call_json.h"

namespace {

const char kFirstLine[] = "Tesmar roll call 1\n";
// A file bigger than this is no roll call of 150 members.
constexpr size_t kMaxFileBytes = 64 * 1024;

uint64_t Check(const char *bytes, size_t size) {
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(bytes[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

// A field of a line: no spaces or line ends in it, "-" for the empty one.
std::string Word(const std::string &text) {
    if (text.empty()) return "-";
    std::string out = text;
    for (char &c : out)
        if (c == ' ' || c == '\n' || c == '\r') c = '_';
    return out;
}

std::string Unword(const std::string &word) { return word == "-" ? "" : word; }

bool ReadTime(const std::string &text, ClockTime &out) {
    ClockTime t = {};
    char end = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &end) != 6)
        return false;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
        t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return false;
    out = t;
    return true;
}

// Splits "key rest" at the first space.
bool Field(const std::string &line, const char *key, std::string &rest) {
    size_t n = std::strlen(key);
    if (line.compare(0, n, key) != 0 || line.size() <= n || line[n] != ' ') return false;
    rest = line.substr(n + 1);
    return true;
}

bool ReadPerson(const std::string &rest, RollPerson &person) {
    size_t a = rest.find(' ');
    size_t b = a == std::string::npos ? a : rest.find(' ', a + 1);
    size_t c = b == std::string::npos ? b : rest.find(' ', b + 1);
    if (c == std::string::npos || c + 1 >= rest.size()) return false;
    std::string state = rest.substr(0, a);
    if (state == "missing")
        person.state = RollState::Missing;
    else if (state == "safe")
        person.state = RollState::Safe;
    else if (state == "left")
        person.state = RollState::Left;
    else
        return false;
    person.marked = Unword(rest.substr(a + 1, b - a - 1));
    person.by = Unword(rest.substr(b + 1, c - b - 1));
    person.name = rest.substr(c + 1);
    return true;
}

bool ReadFlag(const std::string &line, const char *key, bool &flag) {
    std::string rest;
    if (!Field(line, key, rest) || (rest != "0" && rest != "1")) return false;
    flag = rest == "1";
    return true;
}

} // namespace

std::string EncodeRollCall(const RollCall &roll) {
    std::string out = kFirstLine;
    out += roll.running ? "running 1\n" : "running 0\n";
    out += roll.drill ? "drill 1\n" : "drill 0\n";
    out += "started " + IsoDateTime(roll.started) + "\n";
    out += "ended " + (roll.running ? std::string("-") : IsoDateTime(roll.ended)) + "\n";
    for (const RollPerson &person : roll.people) {
        std::string name = person.name;
        for (char &c : name)
            if (c == '\n' || c == '\r') c = '?';
        out += std::string("person ") + RollStateWord(person.state) + " " + Word(person.marked) +
               " " + Word(person.by) + " " + name + "\n";
    }
    char check[40];
    std::snprintf(check, sizeof check, "check %016" PRIx64 "\n", Check(out.data(), out.size()));
    out += check;
    return out;
}

bool DecodeRollCall(const std::string &bytes, RollCall &out) {
    size_t first = sizeof kFirstLine - 1;
    if (bytes.compare(0, first, kFirstLine) != 0 || bytes.empty() || bytes.back() != '\n')
        return false;
    size_t last = bytes.rfind('\n', bytes.size() - 2);
    if (last == std::string::npos || last + 1 < first) return false;
    char check[40];
    std::snprintf(check, sizeof check, "check %016" PRIx64 "\n", Check(bytes.data(), last + 1));
    if (bytes.compare(last + 1, std::string::npos, check) != 0) return false;

    RollCall roll;
    roll.held = true;
    std::string rest;
    size_t at = first;
    int line_number = 0;
    while (at <= last) {
        size_t end = bytes.find('\n', at);
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        bool ok = false;
        switch (line_number++) {
        case 0:
            ok = ReadFlag(line, "running", roll.running);
            break;
        case 1:
            ok = ReadFlag(line, "drill", roll.drill);
            break;
        case 2:
            ok = Field(line, "started", rest) && ReadTime(rest, roll.started);
            break;
        case 3:
            ok = Field(line, "ended", rest) &&
                 (roll.running ? rest == "-" : ReadTime(rest, roll.ended));
            break;
        default: {
            RollPerson person;
            ok = Field(line, "person", rest) && ReadPerson(rest, person);
            if (ok) roll.people.push_back(person);
        }
        }
        if (!ok) return false;
    }
    if (line_number < 4) return false;
    out = roll;
    return true;
}

RollFile ReadRollCallFile(FileReader &reader, const char *path, RollCall &out) {
    FileReader::Opened opened = reader.OpenFile(path);
    if (opened == FileReader::Missing) return RollFile::Missing;
    if (opened != FileReader::Open) return RollFile::Broken;
    std::string bytes;
    char chunk[4096];
    long got = 0;
    while ((got = reader.ReadSome(chunk, sizeof chunk)) > 0 && bytes.size() <= kMaxFileBytes)
        bytes.append(chunk, static_cast<size_t>(got));
    reader.CloseFile();
    if (got < 0 || bytes.size() > kMaxFileBytes) return RollFile::Broken;
    return DecodeRollCall(bytes, out) ? RollFile::Read : RollFile::Broken;
}

bool BuildWorkingPath(const ServerSettings &settings, const char *name, char *out,
                      size_t capacity) {
    int dir = static_cast<int>(strnlen(settings.WorkingDir, sizeof settings.WorkingDir));
    int n =
        std::snprintf(out, capacity, "%.*s%c%s", dir, settings.WorkingDir, kPathSeparator, name);
    if (n < 0 || static_cast<size_t>(n) >= capacity) {
        if (capacity > 0) out[0] = '\0';
        return false;
    }
    return true;
}
