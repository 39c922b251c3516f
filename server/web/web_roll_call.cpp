#include "server/web/web_roll_call.h"

#include <cstring>

#include "common/code_page.h"
#include "common/sha256.h"
#include "common/stored_key.h"
#include "server/rollcall/roll_call_body.h"
#include "server/rollcall/roll_call_desk.h"
#include "server/board/server_settings.h"
#include "server/rollcall/roll_call_page.h"
#include "server/web/http_reply.h"
#include "server/web/http_request.h"
#include "server/web/key_lockout.h"
#include "server/web/web_guard.h"

namespace {

std::string Error(int status, const char *text) {
    return RollCallHttpReply(status, std::string("{\"error\":\"") + text + "\"}");
}

// A settings field's text.
std::string Text(const char *field, size_t capacity) {
    return std::string(field, strnlen(field, capacity));
}

// The page runs its own script and style only, allowed by their hashes.
const std::string &PageHeaders() {
    static const std::string headers =
        "Content-Security-Policy: frame-ancestors 'none'; default-src 'self'; script-src 'sha256-" +
        Base64(Sha256Of(kRollCallScript)) + "'; style-src 'sha256-" +
        Base64(Sha256Of(kRollCallStyle)) +
        "'\r\nX-Frame-Options: DENY\r\nReferrer-Policy: no-referrer\r\n";
    return headers;
}

} // namespace

std::string LoadRollCallKeys(SettingsStore &store, KeyCrypto &crypto, ServerSettings &settings) {
    const char *names[] = {"MarshalKey", "AdminKey"};
    char *hashes[] = {settings.MarshalKeyHash, settings.AdminKeyHash};
    std::string said;
    for (int i = 0; i < 2; ++i) {
        StoredKeyOutcome outcome =
            LoadStoredKey(store, crypto, names[i], hashes[i], sizeof settings.AdminKeyHash);
        if (outcome == StoredKeyOutcome::NotStored || outcome == StoredKeyOutcome::Failed)
            said = std::string("Cannot keep ") + names[i] + " hashed in the settings";
    }
    return said;
}

bool HashedRollCallKeys::AnySet() {
    marshal_.Follow(Text(settings_.MarshalKeyHash, sizeof settings_.MarshalKeyHash));
    admin_.Follow(Text(settings_.AdminKeyHash, sizeof settings_.AdminKeyHash));
    return marshal_.IsSet() || admin_.IsSet();
}

bool HashedRollCallKeys::Matches(const std::string &key) {
    AnySet();
    bool by_marshal = marshal_.IsSet() && marshal_.Matches(crypto_, key);
    bool by_admin = admin_.IsSet() && admin_.Matches(crypto_, key);
    return by_marshal || by_admin;
}

RollCallCheck CheckRollCallRequest(const HttpRequestReader &request,
                                   const std::vector<std::string> &names, RollCallKeys &keys,
                                   KeyLockout &lockout, const std::string &address,
                                   std::uint64_t now) {
    RollCallCheck check;
    if (!keys.AnySet()) {
        check.status = 403;
        check.reply = Error(403, "No marshal key is set: the roll call is off here");
        return check;
    }
    check.status = CheckJsonPost(request, names);
    if (check.status != 0) {
        check.reply = check.status == 403 ? Error(403, "Not from this server")
                                          : Error(check.status, "The body must be JSON");
        return check;
    }
    if (unsigned wait = lockout.SecondsLocked(address, now)) {
        check.status = 429;
        AppendHttpJsonReply(check.reply, 429,
                            "{\"error\":\"Too many wrong keys from here; try again later\"}",
                            "Retry-After: " + std::to_string(wait) + "\r\n");
        return check;
    }
    const HttpHeaders &headers = request.Headers();
    if (headers.has_bearer && keys.Matches(headers.bearer)) return check;
    // A missing or empty key is the page asking for it, not a guess.
    if (headers.has_bearer && !headers.bearer.empty() && lockout.CountWrong(address, now))
        check.notice = LockoutNotice(address);
    check.status = 401;
    check.reply = Error(401, "The marshal key is missing or wrong");
    return check;
}

std::string RollCallHttpReply(int status, const std::string &json) {
    std::string out;
    AppendHttpJsonReply(out, status, json);
    return out;
}

std::string RollCallBadBody() {
    return Error(400, "Not a roll call command: {\\\"start\\\": true}, {\\\"mark\\\": name, "
                      "\\\"safe\\\": true} or {\\\"end\\\": true} expected");
}

std::string RollCallPageReply(const HttpRequestReader &request, const std::string &page) {
    std::string out;
    AppendHttpBodyReply(out, "text/html; charset=utf-8", page, request.HeadOnly(), PageHeaders());
    return out;
}

std::string RollCallJsonReply(const HttpRequestReader &request, const std::string &json) {
    std::string out;
    AppendHttpBodyReply(out, "application/json; charset=utf-8", json, request.HeadOnly());
    return out;
}

std::string RollCallReportReply(const HttpRequestReader &request, const std::string &report) {
    std::string out;
    if (report.empty()) {
        AppendHttpJsonReply(out, 404, "{\"error\":\"No roll call has ended yet\"}");
        return out;
    }
    AppendHttpBodyReply(out, "text/csv; charset=utf-8", report, request.HeadOnly(),
                        "Content-Disposition: attachment; filename=\"rollcall.csv\"\r\n");
    return out;
}

bool WebRollCall::Serves(const HttpRequestReader &request) const {
    HttpResource resource = request.Resource();
    return resource == HttpResource::RollCall || resource == HttpResource::RollCallPage ||
           resource == HttpResource::RollCallJson || resource == HttpResource::RollCallReport;
}

std::string WebRollCall::Answer(const HttpRequestReader &request,
                                const std::vector<std::string> &names, KeyLockout &lockout,
                                const std::string &peer, std::uint64_t now, std::string &notice) {
    switch (request.Resource()) {
    case HttpResource::RollCallPage: {
        std::string page;
        AppendRollCallPage(page, desk_.Current(), ActiveCodePage());
        return RollCallPageReply(request, page);
    }
    case HttpResource::RollCallJson:
        return RollCallJsonReply(request, desk_.Json());
    case HttpResource::RollCallReport:
        return RollCallReportReply(request, desk_.Report());
    default:
        break;
    }
    RollCallCheck check = CheckRollCallRequest(request, names, keys_, lockout, peer, now);
    if (!check.notice.empty()) notice = check.notice;
    if (check.status != 0) return check.reply;
    RollCallCommand command;
    if (!ReadRollCallBody(request.Body().data(), request.Body().size(), command))
        return RollCallBadBody();
    RollCallReply reply = desk_.Apply(command, table_, peer);
    return RollCallHttpReply(reply.status, reply.json);
}

WebRouteReply WebRollCall::Reply(const WebRouteCall &call) {
    WebRouteReply out;
    out.reply = Answer(call.request, call.names, call.lockout, call.peer, call.now, out.notice);
    return out;
}
