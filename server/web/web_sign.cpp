#include "server/web/web_sign.h"

#include "common/clock_text.h"
#include "common/protocol.h"
#include "server/web/http_reply.h"
#include "server/web/http_request.h"
#include "server/web/key_lockout.h"
#include "server/web/sign_body.h"
#include "server/web/web_guard.h"

namespace {

std::string Error(int status, const char *text) {
    std::string out;
    AppendHttpJsonReply(out, status, std::string("{\"error\":\"") + text + "\"}");
    return out;
}

// 0 when the request carries the key (or none is asked); else the
// refusal is in start.
int CheckKey(const HttpRequestReader &request, const ServerSettings &settings, WebSignKey &key,
             const WebSignPeer &peer, WebSignStart &start) {
    if (!WebSignKey::Asked(settings)) return 0;
    if (unsigned wait = peer.lockout ? peer.lockout->SecondsLocked(peer.address, peer.now) : 0) {
        AppendHttpJsonReply(start.reply, 429,
                            "{\"error\":\"Too many wrong keys from here; try again later\"}",
                            "Retry-After: " + std::to_string(wait) + "\r\n");
        return 429;
    }
    const HttpHeaders &headers = request.Headers();
    if (headers.has_key && key.Matches(settings, headers.key)) return 0;
    if (headers.has_key && !headers.key.empty() && peer.lockout &&
        peer.lockout->CountWrong(peer.address, peer.now))
        start.notice = LockoutNotice(peer.address);
    start.reply = Error(401, "The board key is missing or wrong");
    return 401;
}

} // namespace

WebSignStart StartWebSign(const HttpRequestReader &request, const ServerSettings &settings,
                          WebSignKey &key, const std::vector<std::string> &names,
                          unsigned code_page, const ClockTime &now, const WebSignPeer &peer) {
    WebSignStart start;
    start.status = CheckSignRequest(request, settings, names);
    if (start.status == 403) {
        start.reply = Error(403, "Signing in from a browser is not allowed here");
        return start;
    }
    if (start.status != 0) {
        start.reply = Error(start.status, "The body must be JSON");
        return start;
    }
    start.status = CheckKey(request, settings, key, peer, start);
    if (start.status != 0) return start;
    SignBody body;
    char clock[kClockTextCapacity];
    FormatClockTime(now, clock, sizeof clock);
    std::string lacking;
    bool made = ReadSignBody(request.Body().data(), request.Body().size(), body) &&
                SignRequestLine(body, code_page, clock, start.line, lacking);
    if (!made && !lacking.empty()) {
        // Never kept as "?": the member is told which character to change.
        start.status = 400;
        start.reply = Error(400, ("The board cannot hold \\\"" + lacking +
                                  "\\\": its code page has no such character")
                                     .c_str());
    } else if (!made) {
        start.status = 400;
        start.reply = Error(400, "Not a sign-in: {\\\"name\\\", \\\"in\\\", \\\"time\\\", "
                                 "\\\"destination\\\", \\\"return\\\"} expected");
    }
    return start;
}

std::string WebSignReply(const std::string &handler_reply) {
    if (handler_reply == kReplyDone) {
        std::string out;
        AppendHttpJsonReply(out, 200, "{\"ok\":true}");
        return out;
    }
    if (handler_reply == kReplyInvalidName) return Error(404, "No such name on the board");
    if (handler_reply.empty()) return Error(503, "The board could not be saved; try again");
    return Error(400, "Not a sign-in");
}
