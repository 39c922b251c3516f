// Who may sign members in and out from a browser. A sign-in on the web
// port is taken only when WebSignIn is on, the request names this server in
// its Host (a page of another site that a name was pointed at, DNS
// rebinding, names some other host), any Origin it carries is this very
// server, it says its body is JSON (a cross-site form cannot, without a
// preflight, which is never answered) and, with a WebKey set, it carries
// that key.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

class HttpRequestReader;
struct ServerSettings;

// The names a request may give in its Host: the machine's own (computer
// name, DNS names, addresses, given by the platform), "localhost",
// "127.0.0.1", and those of WebHosts, separated by "%".
std::vector<std::string> ServerHostNames(const std::vector<std::string> &own,
                                         const char *web_hosts);

// The Host value without its port names one of names (letters in any case,
// a final dot ignored; an IPv6 address in brackets).
bool HostIsOurs(const std::string &host, const std::vector<std::string> &names);

// 0 when the sign-in request may go on to its key; else its status: 403
// (WebSignIn off, a foreign Host or Origin), 415 (no JSON body).
int CheckSignRequest(const HttpRequestReader &request, const ServerSettings &settings,
                     const std::vector<std::string> &names);

// 0 when a POST with a JSON body may go on to its key; else its status:
// 403 (a foreign Host or Origin), 415 (no JSON body).
int CheckJsonPost(const HttpRequestReader &request, const std::vector<std::string> &names);

// The shortest WebKey Board Options takes (a shorter one kept from before
// still works).
constexpr size_t kMinWebKeyLength = 8;

// Whether WebKey is set, so that a browser's sign-in must carry it.
bool WebKeyAsked(const ServerSettings &settings);
// The key a browser gave is WebKey (compared in constant time).
bool WebKeyMatches(const ServerSettings &settings, const std::string &given);
