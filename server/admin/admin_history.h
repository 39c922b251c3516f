// GET /admin/history?from=YYYY-MM-DD&to=YYYY-MM-DD: the history journal's
// rows of those days (both included) from the months' files, as one CSV
// with the journal's head, in the order the files hold them. At most a
// year at a time; a range that is not two real dates, first one first, is
// refused (400).
#pragma once
#include <string>

#include "server/admin/admin_host.h"

// The longest range one request may ask for, in days.
constexpr int kMostHistoryDays = 366;

AdminReply HistoryRange(AdminHost &host, const std::string &query);
