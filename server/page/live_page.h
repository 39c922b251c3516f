// The live board: the page the web port serves at "/". The members' table
// is in the HTML as the server makes it (it reads with scripts off); its
// own style sheet and script come inside it, and the script keeps it
// current from the event stream and drives the member's own panel, which
// comes first, above the board. Header and Footer go in as on the classic
// page. The page has no style or event-handler attributes of its own, so
// that a policy can allow its one style sheet and one script by their
// hashes.
#pragma once
#include <string>

struct ClockTime;
struct ServerSettings;
struct UserTable;

struct LiveView {
    // The lobby screen: every member on one screen, no controls.
    bool wall = false;
};

// The live board's own style sheet and script. The page holds exactly these
// texts, each as the whole content of its one <style> and one <script>
// element, and no inline event-handler or style attribute: the web port's
// Content-Security-Policy allows them by their hashes and nothing else
// inline.
const std::string &LivePageStyles();
const std::string &LivePageScript();

// Appends the page for the table at now to out, in the board's code page
// (as the classic page). Every field a member typed is escaped; Header and
// Footer go in verbatim. The sign-in panel is there when WebSignIn is on
// and the view is not the wall.
void AppendLivePage(std::string &out, const UserTable &table, const ServerSettings &settings,
                    const ClockTime &now, const LiveView &view);
