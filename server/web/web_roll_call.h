// The roll call on the web port: who may give it commands ("POST
// /rollcall": this server's Host, no foreign Origin, a JSON body, and
// "Authorization: Bearer <key>" with the marshal key or the
// administration key, wrong keys counted and locked out as the sign-in's),
// and the replies of its routes. The roll call itself is the shell's,
// reached through RollCallRoutes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/key_hash.h"
#include "server/web/web_routes.h"

class HttpRequestReader;
class KeyLockout;
class SettingsStore;
class RollCallDesk;
struct ServerSettings;
struct UserTable;

// The keys a roll call's command may carry, as the shell keeps them
// (hashed).
class RollCallKeys {
  public:
    virtual ~RollCallKeys() = default;
    // Whether the marshal key or the administration key is set.
    virtual bool AnySet() = 0;
    // Whether key is one of them.
    virtual bool Matches(const std::string &key) = 0;
};

// Reads MarshalKeyHash and AdminKeyHash from the store into settings, a
// plain MarshalKey or AdminKey found there hashed into its Hash and
// removed. The text for the status line when one could not be kept hashed
// there; "" otherwise.
std::string LoadRollCallKeys(SettingsStore &store, KeyCrypto &crypto, ServerSettings &settings);

// The marshal key and the administration key as the settings keep them,
// hashed (MarshalKeyHash, AdminKeyHash); a hash changed there (Board
// Options, the administration) is followed at the next check.
class HashedRollCallKeys : public RollCallKeys {
  public:
    HashedRollCallKeys(KeyCrypto &crypto, ServerSettings &settings)
        : crypto_(crypto), settings_(settings) {}
    // LoadRollCallKeys into the settings followed.
    std::string Load(SettingsStore &store) { return LoadRollCallKeys(store, crypto_, settings_); }
    bool AnySet() override;
    // Both are looked at whichever matches, so that the time tells nothing
    // of which key it was.
    bool Matches(const std::string &key) override;

  private:
    KeyCrypto &crypto_;
    ServerSettings &settings_;
    HashedKey marshal_;
    HashedKey admin_;
};

struct RollCallCheck {
    // 0: the command may be applied; else its refusal: 403 (no key set, a
    // foreign Host or Origin), 415 (no JSON body), 429 (locked out), 401
    // (no key, or a wrong one).
    int status = 0;
    std::string reply;  // the refusal's whole HTTP reply
    std::string notice; // not empty: the status line's word of a lockout
};

// For a request the reader has finished with 200 for HttpResource::RollCall,
// from address at now (milliseconds of a steady clock).
RollCallCheck CheckRollCallRequest(const HttpRequestReader &request,
                                   const std::vector<std::string> &names, RollCallKeys &keys,
                                   KeyLockout &lockout, const std::string &address,
                                   std::uint64_t now);

// The whole reply to a command: its status and JSON body.
std::string RollCallHttpReply(int status, const std::string &json);
// 400 for a body that is not a command.
std::string RollCallBadBody();

// The replies of the roll call's pages (no body for HEAD): the marshals'
// page (HTML, UTF-8), the roll call's JSON, the last report (CSV, UTF-8,
// 404 when no roll call has ended yet).
std::string RollCallPageReply(const HttpRequestReader &request, const std::string &page);
std::string RollCallJsonReply(const HttpRequestReader &request, const std::string &json);
std::string RollCallReportReply(const HttpRequestReader &request, const std::string &report);

// The roll call's routes as the web port serves them: "POST /rollcall" (a
// marshal's command), "/rollcall" (the marshals' page), "/rollcall.json"
// and "/rollcall.csv", over the shell's roll call, board and keys.
class WebRollCall : public WebRoutes {
  public:
    WebRollCall(RollCallDesk &desk, const UserTable &table, RollCallKeys &keys)
        : desk_(desk), table_(table), keys_(keys) {}

    // Whether the reader's resource is one of the roll call's.
    bool Serves(const HttpRequestReader &request) const override;
    WebRouteReply Reply(const WebRouteCall &call) override;

    // The whole reply to a request Serves; notice gets a text for the
    // status line (an address locked out), or stays as it is.
    std::string Answer(const HttpRequestReader &request, const std::vector<std::string> &names,
                       KeyLockout &lockout, const std::string &peer, std::uint64_t now,
                       std::string &notice);

  private:
    RollCallDesk &desk_;
    const UserTable &table_;
    RollCallKeys &keys_;
};
