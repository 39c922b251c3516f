// The marshals' page ("/rollcall"), made by the server: the counts in large
// type, the missing first, one big button a person, a search box, for a
// phone held in one hand. The list is in the page, so it reads without
// script; the script asks for the key once (kept in the browser), marks a
// person with a tap and follows the other marshals' marks on the event
// stream. Printed, it is the list of the missing with a box to tick each.
// A drill says DRILL on every view.
#pragma once
#include <string>

struct RollCall;

// The page's one style sheet and one script, exactly as they are inside
// it (the page's Content-Security-Policy allows them by their hashes).
extern const char kRollCallStyle[];
extern const char kRollCallScript[];

// The page (UTF-8) for the roll call; names in the ANSI code page code_page.
void AppendRollCallPage(std::string &out, const RollCall &roll, unsigned code_page);
