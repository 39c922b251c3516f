#include "server/posix/posix_daily_reset.h"

#include <string>

#include "common/clock.h"
#include "server/posix/posix_server.h"

PosixDailyReset::PosixDailyReset(PosixServer &server)
    : server_(server),
      reset_(server.Board(), server.publisher, server.reset_reader, server.file_writer) {}

void PosixDailyReset::Start() { Tell(reset_.Start(server_.clock.Now())); }

void PosixDailyReset::Check() { Tell(reset_.Check(server_.clock.Now())); }

void PosixDailyReset::Rearm() { Tell(reset_.Rearm(server_.clock.Now())); }

// What failed of the reset's publication (and the watchers told of it),
// then a refused lastreset.txt.
void PosixDailyReset::Tell(const ResetReport &report) {
    if (report.published) {
        server_.ReportPublish(report.publication);
        if (!report.publication.load_failed) server_.TellWatchers();
    }
    if (report.unwritten)
        server_.status.SetStatusText((std::string("Cannot write ") + report.path).c_str());
}
