// The administration page the web port serves at "/admin": one page made
// by the server, its own style sheet and script inside it (nothing from
// elsewhere). It holds no board data: its script asks for the key once a
// browser session (kept in the session's storage) and does everything
// through the /admin API with that key. The page when administration is
// off says how to turn it on.
#pragma once
#include <string>

// The texts of the page's one inline style sheet and one inline script,
// exactly as the page embeds them (the security policy names their
// hashes). No element of the page carries an event handler or a style
// attribute.
const char *AdminPageStyles();
const char *AdminPageScript();

// The page, in UTF-8.
const std::string &AdminPage();

// The page that answers /admin and /admin/... while no administration key
// is set (403), in UTF-8.
const std::string &AdminOffPage();
