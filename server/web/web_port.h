// The web port as the engine meets it: it makes the exchange of each
// connection the engine accepts on the web pool, and answers what the
// exchange itself does not (the event stream's bytes, a browser's
// sign-in, the routes of the roll call and the administration). It holds
// what the port serves from and what a request is checked against; it
// never sees a socket.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "server/engine/connection_exchange.h"
#include "server/web/key_lockout.h"
#include "server/web/web_exchange.h"
#include "server/web/web_routes.h"

class Clock;
class WebSignKey;
struct ServerSettings;

class WebPort : public ExchangeMaker {
  public:
    // What the web port serves: the page and the feed the publisher last
    // made. Set before the web port's first connection.
    void ServeFrom(const Publisher &publisher) { source_ = &publisher; }
    // What a sign-in from a browser is checked against: the settings
    // (WebSignIn, WebKeyHash through key, WebHosts), the machine's own
    // names, and the clock for a sign-in that gives no time. None set:
    // every one is refused. Every request on the web port must name one of
    // the server's names in its Host (without them: "localhost" and
    // "127.0.0.1").
    void AllowWebSignIn(const ServerSettings &settings, WebSignKey &key,
                        std::vector<std::string> names, Clock &clock);
    // Routes that answer the web port's requests beside the board's own
    // (the roll call's, the administration's), asked in the order handed
    // in; a request none serves gets 404. One handed in twice is kept once.
    void ServeRoutes(WebRoutes &routes);

    // The wrong keys counted per address, for every key a peer must give.
    KeyLockout &Lockout() { return key_lockout_; }

    // What a request read whole is answered from.
    WebContent Content() const;
    // The next step of a request in Handover from peer: its reply made on
    // web, a watcher of the event stream, or a line for the batch.
    ConnectionExchange::Turn TakeOver(WebExchange &web, const std::string &peer, std::uint64_t now);

    std::unique_ptr<ConnectionExchange> Open(const std::string &peer) override;
    const Publisher *Following() const override { return source_; }
    std::string StreamStart(const Publisher &publisher) const override;
    std::string StreamEvent(const Publisher &publisher) const override;
    std::string KeepAlive() const override;

  private:
    ConnectionExchange::Turn SignIn(WebExchange &web, const std::string &peer, std::uint64_t now);

    const Publisher *source_ = nullptr;
    const ServerSettings *settings_ = nullptr;
    WebSignKey *web_key_ = nullptr;
    std::vector<std::string> names_;
    std::vector<std::string> hosts_; // what a web request's Host may name
    Clock *clock_ = nullptr;
    std::vector<WebRoutes *> routes_;
    KeyLockout key_lockout_;
    const std::string none_; // the page and feed before the first publication
};
