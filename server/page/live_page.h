// The live board: the page the web port serves at "/". The members' table
// is in the HTML as the server makes it (it reads with scripts off); its
// own small style sheet and script come inside it, and the script keeps it
// current from the event stream and offers the sign-in panel. Header and
// Footer go in as on the classic page.
#pragma once
#include <string>

struct ClockTime;
struct ServerSettings;
struct UserTable;

struct LiveView {
    // The lobby screen: large type, no controls, the whole screen.
    bool wall = false;
};

// Appends the page for the table at now to out, in the board's code page
// (as the classic page). Every field a member typed is escaped; Header and
// Footer go in verbatim. The sign-in panel is there when WebSignIn is on
// and the view is not the wall.
void AppendLivePage(std::string &out, const UserTable &table, const ServerSettings &settings,
                    const ClockTime &now, const LiveView &view);
