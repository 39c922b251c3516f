#include "server/posix/config_check.h"

#include <cstdlib>
#include <cstring>

#include "common/code_page_posix.h"
#include "common/key_hash.h"
#include "common/protocol.h"
#include "server/posix/config_file.h"
#include "server/reset/daily_reset.h"

namespace {

enum class Kind { Text, Path, Port, OptionalPort, Flag, ResetTime, CodePage, KeyHash };

struct Known {
    const char *name;
    Kind kind;
    size_t longest; // characters the setting holds
};

// The settings' capacities less their NUL.
const Known kKnown[] = {
    {"WorkingDir", Kind::Path, 299},
    {"Port", Kind::Port, 11},
    {"HTMLFile", Kind::Path, 349},
    {"Header", Kind::Text, 999},
    {"Footer", Kind::Text, 999},
    {"History", Kind::Flag, 5},
    {"ResetTime", Kind::ResetTime, 5},
    {"WebPort", Kind::OptionalPort, 11},
    {"WebSignIn", Kind::Flag, 5},
    {"WebKey", Kind::Text, 63},
    {"WebHosts", Kind::Text, 499},
    {"CodePage", Kind::CodePage, 5},
    // A key in clear is hashed at start and its line replaced by the hash;
    // a plain key is read up to the longest hash text.
    {"WebKeyHash", Kind::KeyHash, kKeyHashTextMax},
    {"AdminKey", Kind::Text, kKeyHashTextMax},
    {"AdminKeyHash", Kind::KeyHash, kKeyHashTextMax},
    {"MarshalKey", Kind::Text, kKeyHashTextMax},
    {"MarshalKeyHash", Kind::KeyHash, kKeyHashTextMax},
};

bool AllDigits(const std::string &text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsPort(const std::string &text) {
    return AllDigits(text) && text.size() <= 5 && std::atoi(text.c_str()) >= 1 &&
           std::atoi(text.c_str()) <= 65535;
}

// Why the value does not fit the kind, or "" when it does.
std::string Fault(const Known &known, const std::string &value) {
    if (value.size() > known.longest)
        return "longer than " + std::to_string(known.longest) + " characters";
    int hour = 0, minute = 0;
    switch (known.kind) {
    case Kind::Text:
        return "";
    case Kind::Path:
        return value.empty() || value[0] == '/' ? "" : "not a full path (one that starts with /)";
    case Kind::Port:
        // Empty is told as not set.
        return value.empty() || IsPort(value) ? "" : "not a port number (1 to 65535)";
    case Kind::OptionalPort:
        return value.empty() || IsPort(value) ? "" : "not a port number (1 to 65535, or empty)";
    case Kind::Flag:
        return value.empty() || value == "TRUE" || value == "FALSE" ? "" : "neither TRUE nor FALSE";
    case Kind::ResetTime:
        return value.empty() || ParseResetTime(value.c_str(), hour, minute)
                   ? ""
                   : "not a time of day (HH:MM, or empty)";
    case Kind::KeyHash:
        return value.empty() || IsKeyHash(value) ? ""
                                                 : "not a key's hash (tesmar --hash-key makes one)";
    case Kind::CodePage:
        return value.empty() || (AllDigits(value) && value.size() <= 5 &&
                                 CodePageUsable(static_cast<unsigned>(std::atoi(value.c_str()))))
                   ? ""
                   : "not a code page this system converts";
    }
    return "";
}

const Known *Lookup(const std::string &name) {
    for (const Known &known : kKnown)
        if (name == known.name) return &known;
    return nullptr;
}

} // namespace

std::vector<std::string> CheckConfig(const ConfigFile &config, const std::string &path) {
    std::vector<std::string> faults;
    for (const ConfigFile::Problem &problem : config.Problems())
        faults.push_back(path + ":" + std::to_string(problem.line) + ": " + problem.text);
    for (const ConfigFile::Entry &entry : config.Entries()) {
        const Known *known = Lookup(entry.name);
        std::string line = path + ":" + std::to_string(entry.line) + ": " + entry.name;
        if (!known) {
            faults.push_back(line + ": no such setting");
            continue;
        }
        std::string fault = Fault(*known, entry.value);
        if (!fault.empty()) faults.push_back(line + ": \"" + entry.value + "\" is " + fault);
    }
    for (const char *needed : {"WorkingDir", "Port"}) {
        const ConfigFile::Entry *entry = config.Find(needed);
        if (!entry || entry->value.empty()) faults.push_back(path + ": " + needed + " is not set");
    }
    return faults;
}

unsigned ConfiguredCodePage(const ConfigFile &config) {
    const ConfigFile::Entry *entry = config.Find("CodePage");
    if (!entry || entry->value.empty()) return kDefaultCodePage;
    return static_cast<unsigned>(std::atoi(entry->value.c_str()));
}
