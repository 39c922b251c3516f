// A sign-in or sign-out from a browser ("POST /sign"), from its request
// to its HTTP reply. The request is checked (web_guard) and its body made
// into the client's request line, which then goes into the same batch as
// the sign-in port's requests; what the handler answered there becomes
// the reply.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class HttpRequestReader;
class KeyLockout;
class WebSignKey;
struct ClockTime;
struct ServerSettings;

// Who asks: the peer's address and the time (of the steady clock, in
// milliseconds), for the count of its wrong keys.
struct WebSignPeer {
    std::string address;
    std::uint64_t now = 0;
    KeyLockout *lockout = nullptr; // none: keys are not counted
};

struct WebSignStart {
    // 0: line is to be applied; else the request is answered at once with
    // this status (reply holds that answer).
    int status = 0;
    std::string line;
    std::string reply;
    // Not empty: a text for the status line (an address locked out).
    std::string notice;
};

// For a request the reader has finished with 200 for HttpResource::Sign.
// now gives the time of a body that carries none. With a web key set (key
// checks the one of settings), an address locked out gets 429 with
// Retry-After whatever key it gives, before any key is derived; a wrong
// key is counted against it (a missing or empty one is not: that is the
// page asking for the key, not a guess) and gets 401.
WebSignStart StartWebSign(const HttpRequestReader &request, const ServerSettings &settings,
                          WebSignKey &key, const std::vector<std::string> &names,
                          unsigned code_page, const ClockTime &now, const WebSignPeer &peer);

// The HTTP reply for what the handler sent: "0\n\r" 200 {"ok":true}, "1\n\r"
// 404 (no such member), nothing 503 (the save failed: the change was not
// kept), anything else 400.
std::string WebSignReply(const std::string &handler_reply);
