// A sign-in or sign-out sent from a browser: the JSON body of "POST /sign"
// read, and turned into the very request line the Windows client would
// send, so that it goes through the same handler as every other request.
#pragma once
#include <cstddef>
#include <string>

// A longer body is refused unread.
constexpr size_t kMaxSignBodyBytes = 4 * 1024;

// {"name": "...", "in": true|false, "time": "...", "destination": "...",
// "return": "..."}, texts in UTF-8. name and in are required; the others
// may be missing (empty). Other members are passed over when their value
// is a string, a number, true, false or null.
struct SignBody {
    std::string name;
    bool in = false;
    std::string time;
    std::string destination;
    std::string return_time;
};

// Reads a body. False when it is not such a document: not one JSON object
// (white space around it allowed), a required member missing, a member of
// ours of the wrong type, broken escapes or UTF-8, more than
// kMaxSignBodyBytes.
bool ReadSignBody(const char *body, size_t size, SignBody &out);

// The request line (without its line end) for the body, its texts in the
// ANSI code page code_page: as the client builds it (an empty field as one
// space, a dash or line end in a field other than the name as a space,
// each field cut to its size). An empty time is the server's clock_text.
// The texts go through the system's conversion: a character the code page
// cannot hold makes it false with lacking set to that character (UTF-8).
// False too (lacking empty) when the name is empty or holds a dash, which
// no request can carry.
bool SignRequestLine(const SignBody &body, unsigned code_page, const char *clock_text,
                     std::string &line, std::string &lacking);
