// The administration on the web port: the requests the reader gives as
// HttpResource::Admin ("/admin" and below it) answered by AnswerAdmin over
// the shell's AdminHost, wrong keys counted in the port's shared lockout,
// and each answer made a whole HTTP reply with the port's headers: nosniff
// and "Cache-Control: no-store" on every one; on a page also
// X-Frame-Options, a Content-Security-Policy that runs only the page's own
// script and style (by their hashes) and Referrer-Policy; Retry-After on
// 429, "WWW-Authenticate: Bearer" on 401, Allow on 405.
#pragma once
#include <string>

#include "common/key_hash.h"
#include "server/admin/admin_api.h"
#include "server/web/web_routes.h"

class AdminRoutes : public WebRoutes {
  public:
    // The key is the host's settings' AdminKeyHash, followed as it changes
    // (the key dialog, a settings file read again).
    AdminRoutes(AdminHost &host, unsigned code_page) : host_(host), code_page_(code_page) {}

    bool Serves(const HttpRequestReader &request) const override;
    WebRouteReply Reply(const WebRouteCall &call) override;

  private:
    AdminHost &host_;
    unsigned code_page_;
    HashedKey key_;
};

// The whole HTTP reply to an answer (only its head for head_only).
std::string AdminHttpReply(const AdminAnswer &answer, bool head_only);
