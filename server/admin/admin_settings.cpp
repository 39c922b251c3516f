#include "server/admin/admin_settings.h"

#include <cstring>
#include <vector>

#include "common/ansi_text.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"
#include "common/stored_key.h"
#include "server/admin/admin_json.h"
#include "server/board/server_settings.h"
#include "server/reset/daily_reset.h"

namespace {

struct Checked {
    std::string name;
    std::string value; // in the board's code page; "TRUE"/"FALSE" for the switches
};

bool IsSwitch(const std::string &name) { return name == "History" || name == "WebSignIn"; }

bool HostNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr(".-:[]_", c) != nullptr;
}

// "" when the value may be stored; else why not.
std::string CheckText(const std::string &name, const std::string &value, size_t capacity) {
    if (value.size() >= capacity)
        return name + " is at most " + std::to_string(capacity - 1) + " characters.";
    if (name == "ResetTime") {
        int hour, minute;
        if (!value.empty() && !ParseResetTime(value.c_str(), hour, minute))
            return "The time must be HH:MM (24-hour, 00:00 to 23:59), or empty for never.";
    } else if (name == "WebKey") {
        if (!value.empty() && value.size() < kShortestWebKey)
            return "The key must be at least " + std::to_string(kShortestWebKey) +
                   " characters, or empty for none.";
    } else if (name == "WebHosts") {
        size_t start = 0;
        while (!value.empty() && start <= value.size()) {
            size_t end = value.find('%', start);
            std::string host = value.substr(start, end == std::string::npos ? end : end - start);
            if (host.empty()) return "WebHosts are host names separated by \"%\".";
            for (char c : host)
                if (!HostNameChar(c)) return "WebHosts are host names separated by \"%\".";
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    return "";
}

size_t Capacity(const ServerSettings &settings, const std::string &name) {
    if (name == "Header") return sizeof settings.Header;
    if (name == "Footer") return sizeof settings.Footer;
    if (name == "ResetTime") return sizeof settings.ResetTime;
    if (name == "WebKey") return 64;
    if (name == "WebHosts") return sizeof settings.WebHosts;
    return 0;
}

// Every member checked; "" and checked filled, or the refusal.
std::string CheckAll(const ServerSettings &settings, const std::vector<JsonMember> &members,
                     unsigned code_page, std::vector<Checked> &checked) {
    for (const JsonMember &member : members) {
        Checked one{member.name, ""};
        if (IsSwitch(member.name)) {
            bool on = member.flag;
            if (member.is_text && member.text != "TRUE" && member.text != "FALSE")
                return member.name + " is true or false.";
            if (member.is_text) on = member.text == "TRUE";
            one.value = on ? "TRUE" : "FALSE";
        } else {
            size_t capacity = Capacity(settings, member.name);
            if (capacity == 0) return "There is no setting \"" + member.name + "\" to change here.";
            if (!member.is_text) return member.name + " is a text.";
            std::string lacking;
            if (!AnsiFromUtf8(member.text, code_page, one.value, lacking))
                return member.name + " holds a character the server's code page cannot keep.";
            std::string back;
            AppendUtf8FromAnsi(back, one.value.c_str(), code_page);
            if (back != member.text || one.value.find('\0') != std::string::npos)
                return member.name + " holds a character the server's code page cannot keep.";
            std::string why = CheckText(member.name, one.value, capacity);
            if (!why.empty()) return why;
        }
        checked.push_back(one);
    }
    return "";
}

char *Field(ServerSettings &settings, const std::string &name, size_t &capacity) {
    struct {
        const char *name;
        char *field;
        size_t size;
    } fields[] = {{"Header", settings.Header, sizeof settings.Header},
                  {"Footer", settings.Footer, sizeof settings.Footer},
                  {"ResetTime", settings.ResetTime, sizeof settings.ResetTime},
                  {"WebHosts", settings.WebHosts, sizeof settings.WebHosts}};
    for (auto &f : fields)
        if (name == f.name) {
            capacity = f.size;
            return f.field;
        }
    return nullptr;
}

// Stores one checked value and puts it in memory; false when the store
// (or, for the key, the crypto) refused it.
bool Apply(AdminHost &host, const Checked &one) {
    ServerSettings &settings = host.Settings();
    if (one.name == "WebKey")
        return StoreKey(host.Store(), host.Crypto(), "WebKey", one.value.c_str(),
                        settings.WebKeyHash, sizeof settings.WebKeyHash);
    if (IsSwitch(one.name)) {
        (one.name == "History" ? settings.History : settings.WebSignIn) = one.value == "TRUE";
        return WriteSetting(host.Store(), one.name.c_str(), one.value.c_str());
    }
    size_t capacity = 0;
    char *field = Field(settings, one.name, capacity);
    CopyCut(field, capacity, one.value.c_str());
    return WriteSetting(host.Store(), one.name.c_str(), field);
}

} // namespace

AdminReply ChangeSettings(AdminHost &host, const std::string &body, unsigned code_page) {
    std::vector<JsonMember> members;
    if (!ReadJsonObject(body, members) || members.empty())
        return AdminRefusal(400, "The body must be one JSON object of settings.");
    std::vector<Checked> checked;
    std::string refused = CheckAll(host.Settings(), members, code_page, checked);
    if (!refused.empty()) return AdminRefusal(400, refused);
    bool stored = true;
    for (const Checked &one : checked) {
        stored &= Apply(host, one);
        host.SettingChanged(one.name.c_str());
    }
    if (!stored) return AdminRefusal(503, kStoreFailedText);
    return AdminOk();
}
