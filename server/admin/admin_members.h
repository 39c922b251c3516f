// POST /admin/members: the User Manager's edits from a browser, one a
// request, with its refusals:
//   {"add": "Name"}                    a new member, in at 12:00
//   {"rename": "Old", "to": "New"}
//   {"delete": "Name"}
//   {"in": "Name"}                     signed in now
//   {"out": "Name", "destination": "...", "return": "..."}  signed out now
// 200 {"ok": true}; 400 for a body that is none of these or a name the
// board cannot hold (empty, a dash, a lone space, too long, a character
// the board's code page lacks); 404 for a member not on the board; 409
// for a name already there or a full board; 503 when the data file could
// not be read or saved (nothing changed). Each edit goes the User
// Manager's way, its journal line saying "web administration from ADDRESS".
#pragma once
#include <string>

#include "server/admin/admin_host.h"

AdminReply EditMembers(AdminHost &host, const std::string &body, const std::string &peer,
                       unsigned code_page);
