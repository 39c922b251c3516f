#include "client/core/layered_settings_store.h"

#include <cstring>

#include "common/alerts.h"
#include "common/fixed_text.h"

const char kSettingsNotSaved[] =
    "Wenlo could not save your settings in the registry "
    "(HKEY_CURRENT_USER\\SOFTWARE\\KVT\\Wenlo). The changes hold until Wenlo ends.";
const char kClearedValue[] = "\x7f";

namespace {
// Room for the longest value the client keeps (the name list) and its NUL.
constexpr size_t kValueCapacity = 1024;
} // namespace

bool LayeredSettingsStore::Read(const char *name, char *dest, size_t capacity) {
    char value[kValueCapacity] = "";
    bool member_open = member_.Read(name, value, sizeof value);
    if (member_open && value[0] != '\0') {
        CopyCut(dest, capacity, std::strcmp(value, kClearedValue) == 0 ? "" : value);
        return true;
    }
    value[0] = '\0';
    bool machine_open = machine_.Read(name, value, sizeof value);
    if (!member_open && !machine_open) return false;
    CopyCut(dest, capacity, machine_open ? value : "");
    return true;
}

bool LayeredSettingsStore::Write(const char *name, const char *text) {
    char machine[kValueCapacity] = "";
    if (!machine_.Read(name, machine, sizeof machine)) machine[0] = '\0';
    bool stored;
    if (machine[0] != '\0' && std::strcmp(machine, text) == 0) {
        // The machine's value: the member's own, if any, gives way to it.
        char own[kValueCapacity] = "";
        bool has_own = member_.Read(name, own, sizeof own) && own[0] != '\0';
        stored = has_own ? member_.Write(name, "") : true;
    } else {
        // Emptied over the machine's value: kept empty, not read through.
        bool clears = text[0] == '\0' && machine[0] != '\0';
        stored = member_.Write(name, clears ? kClearedValue : text);
    }
    if (!stored && !failure_told_) {
        failure_told_ = true;
        alerts_.Ask(kSettingsNotSaved, "In/Out Setup", AlertIcon::Warning, AlertButtons::Ok);
    }
    return stored;
}
