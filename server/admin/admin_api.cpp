#include "server/admin/admin_api.h"

#include <cstring>

#include "common/ansi_text.h"
#include "common/key_hash.h"
#include "server/admin/admin_history.h"
#include "server/admin/admin_json.h"
#include "server/admin/admin_members.h"
#include "server/admin/admin_settings.h"
#include "server/board/server_settings.h"
#include "server/page/admin_page.h"
#include "server/web/web_guard.h"

namespace {

std::string Folded(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

AdminReply Page(int status, const std::string &page) {
    return AdminReply{status, "text/html; charset=utf-8", page};
}

// The key of "Authorization: Bearer <key>"; "" when there is none.
std::string BearerKey(const std::string &authorization) {
    if (Folded(authorization.substr(0, 7)) != "bearer ") return "";
    size_t start = authorization.find_first_not_of(' ', 7);
    return start == std::string::npos ? "" : authorization.substr(start);
}

void AppendMember(std::string &out, const char *name, const std::string &value, bool last = false) {
    AppendJsonText(out, name);
    out += ": ";
    out += value;
    out += last ? "" : ", ";
}

std::string Text(const char *ansi, unsigned code_page) {
    std::string utf8, json;
    AppendUtf8FromAnsi(utf8, ansi, code_page);
    AppendJsonText(json, utf8);
    return json;
}

AdminReply StatusReply(AdminHost &host, unsigned code_page) {
    AdminFacts facts = host.Facts();
    BoardContext board = host.Board();
    size_t members = 0;
    for (uint32_t i = 0; i < UsedSlots(board.table); ++i)
        if (board.table.slots[i].name[0] != '\0') ++members;
    std::string body = "{";
    AppendMember(body, "status", Text(facts.status.c_str(), code_page));
    AppendMember(body, "members", std::to_string(members));
    AppendMember(body, "connections", std::to_string(facts.connections));
    std::string version;
    AppendJsonText(version, facts.version);
    AppendMember(body, "version", version);
    AppendMember(body, "service", facts.service ? "true" : "false", true);
    return AdminReply{200, "application/json", body + "}"};
}

AdminReply SettingsReply(AdminHost &host, unsigned code_page) {
    const ServerSettings &settings = host.Settings();
    std::string body = "{";
    AppendMember(body, "Header", Text(settings.Header, code_page));
    AppendMember(body, "Footer", Text(settings.Footer, code_page));
    AppendMember(body, "History", settings.History ? "\"TRUE\"" : "\"FALSE\"");
    AppendMember(body, "ResetTime", Text(settings.ResetTime, code_page));
    AppendMember(body, "WebSignIn", settings.WebSignIn ? "\"TRUE\"" : "\"FALSE\"");
    AppendMember(body, "WebHosts", Text(settings.WebHosts, code_page));
    AppendMember(body, "WebKeySet", IsKeyHash(settings.WebKeyHash) ? "true" : "false", true);
    return AdminReply{200, "application/json", body + "}"};
}

bool IsJson(const std::string &content_type) {
    std::string type = Folded(content_type.substr(0, content_type.find(';')));
    while (!type.empty() && type.back() == ' ') type.pop_back();
    return type == "application/json";
}

// The calls that need the key, once it was given.
AdminReply Route(const AdminRequest &request, AdminHost &host, unsigned code_page) {
    bool get = request.method == "GET";
    bool post = request.method == "POST";
    if (request.path == "/admin/status" && get) return StatusReply(host, code_page);
    if (request.path == "/admin/settings" && get) return SettingsReply(host, code_page);
    if (request.path == "/admin/settings" && post)
        return ChangeSettings(host, request.body, code_page);
    if (request.path == "/admin/members" && post)
        return EditMembers(host, request.body, request.peer, code_page);
    if (request.path == "/admin/history" && get) return HistoryRange(host, request.query);
    bool known = request.path == "/admin/status" || request.path == "/admin/settings" ||
                 request.path == "/admin/members" || request.path == "/admin/history";
    return AdminRefusal(known ? 405 : 404,
                        known ? "That method is not taken here." : "There is no such call.");
}

} // namespace

bool IsAdminPath(const std::string &path) {
    return path == "/admin" || path.compare(0, 7, "/admin/") == 0;
}

AdminAnswer AnswerAdmin(const AdminRequest &request, AdminHost &host, HashedKey &admin_key,
                        KeyGate &gate, const std::vector<std::string> &names, unsigned code_page) {
    AdminAnswer answer;
    if (!HostIsOurs(request.host, names)) {
        answer.reply = AdminRefusal(421, "This server does not go by that name.");
        return answer;
    }
    if (request.has_origin && Folded(request.origin) != Folded("http://" + request.host)) {
        answer.reply = AdminRefusal(403, "Requests from other sites are refused.");
        return answer;
    }
    if (!admin_key.IsSet()) {
        answer.reply = Page(403, AdminOffPage());
        return answer;
    }
    if (request.path == "/admin") {
        answer.reply = request.method == "GET"
                           ? Page(200, AdminPage())
                           : AdminRefusal(405, "That method is not taken here.");
        return answer;
    }
    if (request.method == "POST" && !IsJson(request.content_type)) {
        answer.reply = AdminRefusal(415, "The body must be JSON (Content-Type: application/json).");
        return answer;
    }
    answer.retry_after = gate.Locked(request.peer);
    if (answer.retry_after > 0) {
        answer.reply = AdminRefusal(429, "Too many wrong keys from this address: wait a minute.");
        return answer;
    }
    if (!admin_key.Matches(host.Crypto(), BearerKey(request.authorization))) {
        gate.Wrong(request.peer);
        answer.reply = AdminRefusal(401, "The administration key is missing or wrong.");
        return answer;
    }
    answer.reply = Route(request, host, code_page);
    return answer;
}
