// The native server program's one instance of everything: the seams it is
// made with (its settings file as the settings store, the clock, the
// alerts on standard error, the file writer that the settings file writes
// with too), its settings, board, sockets, status line,
// the publisher and the history journal. main makes it; it runs the same
// start-up, batch and publication order as the Windows server, on poll.
#pragma once
#include <string>

#include "common/code_page.h"

#include "common/alerts.h"
#include "common/key_crypto_posix.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/engine/status_line.h"
#include "server/history/history_journal.h"
#include "server/history/history_recorder.h"
#include "server/admin/admin_routes.h"
#include "server/posix/poll_front_end.h"
#include "server/posix/posix_admin_host.h"
#include "server/posix/posix_daily_reset.h"
#include "server/posix/stderr_report.h"
#include "server/publish/publisher.h"
#include "server/rollcall/roll_call_desk.h"
#include "server/rollcall/roll_call_follower.h"
#include "server/web/web_guard.h"
#include "server/web/web_roll_call.h"

class Clock;
class ConfigFile;
class StopSignals;

// The exit codes of the native server.
constexpr int kExitServed = 0;      // stopped as asked
constexpr int kExitCannotServe = 1; // the sign-in port could not be opened
constexpr int kExitBadConfig = 2;   // the settings file is refused
constexpr int kExitBoardTaken = 3;  // another server serves the board

struct PosixServer;

// The roll call's listener in the native server: a failure goes to the
// status line, a change to the watchers of the event stream.
struct RollCallStreamView : RollCallListener {
    explicit RollCallStreamView(PosixServer &server) : server(server) {}
    void Say(const char *text) override;
    void Changed(const RollCall &roll) override;
    PosixServer &server;
};

struct PosixServer {
    PosixServer(ConfigFile &config, Clock &clock, Alerts &alerts, FileWriter &file_writer);
    PosixServer(const PosixServer &) = delete;
    PosixServer &operator=(const PosixServer &) = delete;

    ConfigFile &config;
    Clock &clock;
    Alerts &alerts;

    ServerSettings settings = {};
    UserTable table = {};
    StatusLine status;
    StderrStatusView status_view{status};
    // The platform's files, handed to what reads and writes the board's
    // own: the data file (publisher and start-up), the roll call, the
    // history (written, and read by the administration); a reader each,
    // so that no two share an open file, and the program's one writer.
    StandardFileReader board_reader;
    StandardFileReader rollcall_reader;
    StandardFileReader reset_reader;   // lastreset.txt
    StandardFileReader history_reader; // the administration's history CSV
    FileWriter &file_writer;
    Publisher publisher{board_reader, file_writer};
    PollFrontEnd connections{status};
    HistoryJournal history;
    HistoryRecorder history_recorder;
    PosixDailyReset daily_reset{*this};
    // The roll call, kept in rollcall.dat, told of every publication's
    // changes in front of the history, and its routes on the web port.
    RollCallDesk rollcall{settings, clock, ActiveCodePage(), rollcall_reader, file_writer};
    RollCallFollower rollcall_follower{rollcall, &history_recorder};
    RollCallStreamView rollcall_view{*this};
    SystemKeyCrypto key_crypto;
    // The keys as the settings keep them (hashed): the browser's sign-in's,
    // and the roll call's (the marshal's or the administration's).
    WebSignKey web_key{key_crypto};
    HashedRollCallKeys rollcall_keys{key_crypto, settings};
    WebRollCall web_rollcall{rollcall, table, rollcall_keys};
    // The administration from a browser, on the web port.
    PosixAdminHost admin_host{*this};
    AdminRoutes admin_routes{admin_host, ActiveCodePage()};

    BoardContext Board();

    // The settings, the claim of the board, the board, the page and the
    // listeners. kExitServed when the server is ready to run, else the
    // code to exit with.
    int Start();
    // Serves until a stop signal; the batch waiting then is finished.
    int Run(StopSignals &signals);
    // Reads the settings file again (SIGHUP): the page, its mark-up, the
    // history and web settings take effect at once; the ports and the
    // working folder at the next start. A file that is refused now is
    // named and the settings stay as they are.
    void ReloadConfig();

    // Tells on the status line what part of a publication failed.
    void ReportPublish(const PublishResult &result);
    // Tells the engine what the publisher last made (after a batch, the
    // daily reset, the overdue look); one already told is skipped.
    void TellWatchers() { connections.Published(publisher); }

  private:
    void RunBatches(bool finishing);
    // The minute's look at who is overdue, and the daily reset's check.
    void ServeTimers();

    std::uint64_t reset_checked_ = 0;
};

// "Cannot write the page <path>" and so on, one line each, for what failed;
// empty when nothing did.
std::string PublishFailureText(const PublishResult &result, const ServerSettings &settings,
                               const char *journal_path);
