#include "server/web/web_guard.h"

#include "common/ascii_case.h"
#include "common/fixed_text.h"
#include "common/stored_key.h"
#include "server/board/server_settings.h"
#include "server/web/http_request.h"

#include <cstring>

namespace {

std::string Folded(std::string text) {
    for (char &c : text) c = FoldAscii(c);
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

// The host part of a Host value: "[::1]:80" gives "[::1]", "board:8080"
// gives "board".
std::string HostPart(const std::string &host) {
    if (!host.empty() && host[0] == '[') {
        size_t close = host.find(']');
        return close == std::string::npos ? host : host.substr(0, close + 1);
    }
    size_t colon = host.find(':');
    return colon == std::string::npos ? host : host.substr(0, colon);
}

bool SameFolded(const std::string &a, const std::string &b) { return Folded(a) == Folded(b); }

} // namespace

std::vector<std::string> ServerHostNames(const std::vector<std::string> &own,
                                         const char *web_hosts) {
    std::vector<std::string> names = own;
    names.push_back("localhost");
    names.push_back("127.0.0.1");
    std::string listed = web_hosts ? web_hosts : "";
    size_t start = 0;
    while (start <= listed.size()) {
        size_t end = listed.find('%', start);
        if (end == std::string::npos) end = listed.size();
        std::string name = listed.substr(start, end - start);
        while (!name.empty() && name.front() == ' ') name.erase(0, 1);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        if (!name.empty()) names.push_back(name);
        start = end + 1;
    }
    return names;
}

bool HostIsOurs(const std::string &host, const std::vector<std::string> &names) {
    std::string part = HostPart(host);
    if (part.empty()) return false;
    for (const std::string &name : names) {
        if (!name.empty() && SameFolded(part, name)) return true;
        // An IPv6 address listed bare matches its bracketed form.
        if (part.size() > 2 && part[0] == '[' && SameFolded(part.substr(1, part.size() - 2), name))
            return true;
    }
    return false;
}

std::string WebSignKey::Load(SettingsStore &store, ServerSettings &settings) {
    StoredKeyOutcome outcome =
        LoadStoredKey(store, crypto_, "WebKey", settings.WebKeyHash, sizeof settings.WebKeyHash);
    if (outcome == StoredKeyOutcome::Failed) {
        // Not a hash text: asked, and matched by no key.
        CopyCut(settings.WebKeyHash, "unhashed");
        return "Cannot hash WebKey: signing in from a browser is refused";
    }
    if (outcome == StoredKeyOutcome::NotStored) return "Cannot keep WebKey hashed in the settings";
    return "";
}

bool WebSignKey::Asked(const ServerSettings &settings) { return settings.WebKeyHash[0] != '\0'; }

bool WebSignKey::Matches(const ServerSettings &settings, const std::string &given) {
    key_.Follow(
        std::string(settings.WebKeyHash, strnlen(settings.WebKeyHash, sizeof settings.WebKeyHash)));
    return key_.Matches(crypto_, given);
}

int CheckSignRequest(const HttpRequestReader &request, const ServerSettings &settings,
                     const std::vector<std::string> &names) {
    if (!settings.WebSignIn) return 403;
    return CheckJsonPost(request, names);
}

int CheckJsonPost(const HttpRequestReader &request, const std::vector<std::string> &names) {
    const HttpHeaders &headers = request.Headers();
    if (!HostIsOurs(headers.host, names)) return 403;
    if (headers.has_origin && !SameFolded(headers.origin, "http://" + headers.host)) return 403;
    std::string type = Folded(headers.content_type.substr(0, headers.content_type.find(';')));
    while (!type.empty() && type.back() == ' ') type.pop_back();
    if (type != "application/json") return 415;
    return 0;
}
