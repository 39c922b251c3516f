// POST /admin/settings: any of Header, Footer, History, ResetTime,
// WebSignIn, WebKey and WebHosts (the settings' own names) in one JSON
// object, checked as the dialogs check them: every value is checked before
// any is stored, so that an unknown name or a bad value (400) stores
// nothing. Accepted values are stored and take effect at once; WebKey is
// stored as its hash (WebKeyHash) only. A store that refuses a value
// answers 503 (the value then holds until the server stops).
#pragma once
#include <string>

#include "server/admin/admin_host.h"

// The shortest key a browser's sign-in may be given.
constexpr size_t kShortestWebKey = 8;

AdminReply ChangeSettings(AdminHost &host, const std::string &body, unsigned code_page);
