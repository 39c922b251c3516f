#include "server/web/web_sign.h"

#include "common/clock_text.h"
#include "common/protocol.h"
#include "server/web/http_reply.h"
#include "server/web/http_request.h"
#include "server/web/sign_body.h"
#include "server/web/web_guard.h"

namespace {

std::string Error(int status, const char *text) {
    std::string out;
    AppendHttpJsonReply(out, status, std::string("{\"error\":\"") + text + "\"}");
    return out;
}

} // namespace

WebSignStart StartWebSign(const HttpRequestReader &request, const ServerSettings &settings,
                          const std::vector<std::string> &names, unsigned code_page,
                          const ClockTime &now) {
    WebSignStart start;
    start.status = CheckSignRequest(request, settings, names);
    if (start.status == 403) {
        start.reply = Error(403, "Signing in from a browser is not allowed here");
        return start;
    }
    if (start.status == 401) {
        start.reply = Error(401, "The board key is missing or wrong");
        return start;
    }
    if (start.status != 0) {
        start.reply = Error(start.status, "The body must be JSON");
        return start;
    }
    SignBody body;
    char clock[kClockTextCapacity];
    FormatClockTime(now, clock, sizeof clock);
    if (!ReadSignBody(request.Body().data(), request.Body().size(), body) ||
        !SignRequestLine(body, code_page, clock, start.line)) {
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
