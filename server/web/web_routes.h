// Requests of the web port that another part of the program answers: the
// engine keeps the routes the shell hands it and asks them, in the order
// handed in, for every request read whole that is neither the event stream
// nor a browser's sign-in. A route answers with the whole HTTP reply, and
// may have a word for the status line (an address locked out).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class HttpRequestReader;
class KeyLockout;

// One request as the engine hands it to a route.
struct WebRouteCall {
    const HttpRequestReader &request;
    // The names the request's Host may give (ServerHostNames).
    const std::vector<std::string> &names;
    // The wrong keys counted per address, shared by every key of the port.
    KeyLockout &lockout;
    const std::string &peer; // the address the request came from
    std::uint64_t now;       // milliseconds of a steady clock
};

struct WebRouteReply {
    std::string reply;  // the whole HTTP reply
    std::string notice; // not empty: for the status line
};

class WebRoutes {
  public:
    virtual ~WebRoutes() = default;
    // Whether the request (read whole, status 200) is one of these routes'.
    virtual bool Serves(const HttpRequestReader &request) const = 0;
    // The reply to a request Serves. It may publish and tell the watchers
    // before it returns.
    virtual WebRouteReply Reply(const WebRouteCall &call) = 0;
};
