#include "server/admin/admin_routes.h"

#include <cstring>

#include "common/sha256.h"
#include "server/board/server_settings.h"
#include "server/page/admin_page.h"
#include "server/web/http_reply.h"
#include "server/web/http_request.h"
#include "server/web/key_lockout.h"

namespace {

// The port's shared lockout as the API asks it. A request that carries no
// key is the page asking for one, not a guess: it is not counted.
class LockoutGate : public KeyGate {
  public:
    LockoutGate(const WebRouteCall &call, std::string &notice) : call_(call), notice_(notice) {}
    int Locked(const std::string &peer) override {
        return static_cast<int>(call_.lockout.SecondsLocked(peer, call_.now));
    }
    void Wrong(const std::string &peer) override {
        const HttpHeaders &headers = call_.request.Headers();
        if (!headers.has_bearer || headers.bearer.empty()) return;
        if (call_.lockout.CountWrong(peer, call_.now)) notice_ = LockoutNotice(peer);
    }

  private:
    const WebRouteCall &call_;
    std::string &notice_;
};

const std::string &PagePolicy() {
    static const std::string policy =
        "Content-Security-Policy: frame-ancestors 'none'; default-src 'self'; script-src 'sha256-" +
        Base64(Sha256Of(AdminPageScript())) + "'; style-src 'sha256-" +
        Base64(Sha256Of(AdminPageStyles())) + "'\r\n";
    return policy;
}

} // namespace

bool AdminRoutes::Serves(const HttpRequestReader &request) const {
    return request.Resource() == HttpResource::Admin;
}

WebRouteReply AdminRoutes::Reply(const WebRouteCall &call) {
    const HttpRequestReader &reader = call.request;
    const HttpHeaders &headers = reader.Headers();
    AdminRequest request;
    // HEAD is answered as GET is, without the body.
    request.method = reader.HeadOnly() ? "GET" : reader.Method();
    request.path = reader.Path();
    request.query = reader.Query();
    request.host = headers.host;
    request.has_origin = headers.has_origin;
    request.origin = headers.origin;
    request.content_type = headers.content_type;
    if (headers.has_bearer) request.authorization = "Bearer " + headers.bearer;
    request.body = reader.Body();
    request.peer = call.peer;
    const ServerSettings &settings = host_.Settings();
    key_.Follow(std::string(settings.AdminKeyHash,
                            strnlen(settings.AdminKeyHash, sizeof settings.AdminKeyHash)));
    WebRouteReply out;
    LockoutGate gate(call, out.notice);
    AdminAnswer answer = AnswerAdmin(request, host_, key_, gate, call.names, code_page_);
    out.reply = AdminHttpReply(answer, reader.HeadOnly());
    return out;
}

std::string AdminHttpReply(const AdminAnswer &answer, bool head_only) {
    const AdminReply &reply = answer.reply;
    std::string type = reply.type;
    if (type == "application/json") type += "; charset=utf-8";
    std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + HttpReason(reply.status) +
                      "\r\nContent-Type: " + type +
                      "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n";
    if (type.compare(0, 9, "text/html") == 0)
        out += "X-Frame-Options: DENY\r\n" + PagePolicy() + "Referrer-Policy: no-referrer\r\n";
    out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    if (reply.status == 405) out += "Allow: GET, HEAD, POST\r\n";
    if (reply.status == 401) out += "WWW-Authenticate: Bearer\r\n";
    if (reply.status == 429)
        out += "Retry-After: " + std::to_string(answer.retry_after > 0 ? answer.retry_after : 60) +
               "\r\n";
    out += "Connection: close\r\n\r\n";
    if (!head_only) out += reply.body;
    return out;
}
