// The administration from a browser: "/admin" (the page) and the API under
// it, from a request read whole to its reply. Every request must name this
// server in its Host (421), carry no Origin but this server's (403), and a
// POST must say its body is JSON (415). With no administration key set,
// every path answers 403 with the page that says how to turn it on. The
// API's calls carry "Authorization: Bearer <key>": a wrong or missing key
// is 401 and counts against the address; an address with too many wrong
// keys is 429 with Retry-After, the right key too.
//   GET  /admin             the page (it asks for the key itself)
//   GET  /admin/status      {"status", "members", "connections", "version", "service"}
//   GET  /admin/settings    the settings the page shows (no key, only whether one is set)
//   POST /admin/members     admin_members.h
//   POST /admin/settings    admin_settings.h
//   GET  /admin/history     admin_history.h
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "server/admin/admin_host.h"

class HashedKey;

// What the API needs of a request.
struct AdminRequest {
    std::string method; // "GET", "HEAD", "POST", ...
    std::string path;   // without the query
    std::string query;  // after "?", "" when none
    std::string host;
    bool has_origin = false;
    std::string origin;
    std::string content_type;
    std::string authorization;
    std::string body;
    std::string peer; // the address the request came from
};

// Wrong keys counted by address (the web port's lockout).
class KeyGate {
  public:
    virtual ~KeyGate() = default;
    // Seconds the address must still wait; 0 when it may try a key.
    virtual int Locked(const std::string &peer) = 0;
    virtual void Wrong(const std::string &peer) = 0;
};

// The API's reply, and for a 429 its Retry-After.
struct AdminAnswer {
    AdminReply reply;
    int retry_after = 0;
};

// Whether the path is the administration's ("/admin" or below it).
bool IsAdminPath(const std::string &path);

// names: the names the Host may give (ServerHostNames). admin_key: the
// stored AdminKeyHash; not set: administration is off.
AdminAnswer AnswerAdmin(const AdminRequest &request, AdminHost &host, HashedKey &admin_key,
                        KeyGate &gate, const std::vector<std::string> &names, unsigned code_page);
