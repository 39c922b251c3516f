// The administration's JSON: a request body is one flat object whose
// members are strings, true or false (anything nested, a number or a null
// is refused), and the replies' texts written as JSON strings.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// A body longer than this is refused unread.
constexpr size_t kMaxAdminBodyBytes = 8 * 1024;

struct JsonMember {
    std::string name;
    bool is_text = true; // false: true or false, in flag
    std::string text;    // UTF-8
    bool flag = false;
};

// Reads body as one object (white space around it allowed). False when it
// is not one, a value is not a string, true or false, a name comes twice,
// an escape or the UTF-8 is broken, or it is longer than kMaxAdminBodyBytes.
bool ReadJsonObject(const std::string &body, std::vector<JsonMember> &members);

// Appends text (UTF-8) as a JSON string, quotes included; control
// characters and "<" escaped (the text may end up inside a page).
void AppendJsonText(std::string &out, const std::string &text);
