#include "server/shell/daily_reset_timer.h"

#include "common/clock.h"
#include "common/fixed_text.h"
#include "server/reset/daily_reset.h"
#include "server/shell/server_state.h"

namespace {

// What failed of the reset's publication, then a refused lastreset.txt.
void Tell(ServerState &server, const ResetReport &report) {
    if (report.published) server.ReportPublish(report.publication);
    if (!report.unwritten) return;
    char text[sizeof report.path + 16];
    CopyCut(text, "Cannot write ");
    AppendCut(text, report.path);
    server.status.SetStatusText(text);
}

} // namespace

void StartDailyReset(ServerState &server, HWND window) {
    Tell(server, server.reset.Start(server.clock.Now()));
    SetTimer(window, kDailyResetTimer, kDailyResetCheckMs, nullptr);
}

void CheckDailyReset(ServerState &server) { Tell(server, server.reset.Check(server.clock.Now())); }

void RearmDailyReset(ServerState &server) { Tell(server, server.reset.Rearm(server.clock.Now())); }
