// Who may sign members in and out from a browser. A sign-in on the web
// port is taken only when WebSignIn is on, the request names this server in
// its Host (a page of another site that a name was pointed at, DNS
// rebinding, names some other host), any Origin it carries is this very
// server, it says its body is JSON (a cross-site form cannot, without a
// preflight, which is never answered) and, with a web key set, it
// carries that key.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/key_hash.h"

class HttpRequestReader;
class SettingsStore;
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

// The key a browser's sign-in must give, as the settings keep it: its hash
// (WebKeyHash), never the key itself. A right key costs one derivation
// after each start or change of the key: it is then remembered (HashedKey,
// its SHA-256 in memory only) and recognised in constant time; a wrong one
// is derived and compared anew each time, so the caller looks at the
// lockout first.
class WebSignKey {
  public:
    explicit WebSignKey(KeyCrypto &crypto) : crypto_(crypto) {}
    // Reads WebKeyHash from store into settings; a plain WebKey found there
    // (the package's property, a hand edit) is hashed in its place and
    // removed. The text for the status line when it could not be kept
    // hashed; "" otherwise. A plain key that could not be hashed at all
    // leaves a key asked that nothing matches: browsers are refused rather
    // than let in without one.
    std::string Load(SettingsStore &store, ServerSettings &settings);
    // Whether settings ask a browser for a key: any WebKeyHash. One that is
    // no hash text matches no key.
    static bool Asked(const ServerSettings &settings);
    // Whether given is the key of settings.WebKeyHash (a changed hash is
    // followed: the key remembered for the old one no longer counts).
    bool Matches(const ServerSettings &settings, const std::string &given);

  private:
    KeyCrypto &crypto_;
    HashedKey key_;
};
