#include "server/posix/posix_server.h"

#include <unistd.h>

#include <cstring>
#include <vector>

#include "common/code_page.h"
#include "common/fixed_text.h"
#include "server/board/board_start_up.h"
#include "server/first_run/first_run.h"
#include "server/posix/board_claim_lock.h"
#include "server/posix/config_check.h"
#include "server/posix/config_file.h"
#include "server/posix/stop_signals.h"

namespace {

// Start-up with nobody to ask: the settings file must give the port and
// the working folder (the check refuses it otherwise), so no question is
// ever asked; what would be is told on standard error.
class NoFirstRunHost : public FirstRunHost {
  public:
    explicit NoFirstRunHost(StatusLine &status) : status_(status) {}
    void CurrentDirectory(char *dir, size_t capacity) override {
        if (!getcwd(dir, capacity) && capacity > 0) dir[0] = '\0';
    }
    bool ChooseDirectory(char *, size_t) override { return false; }
    bool StillRunning() override { return true; }
    void HoldWindow(bool) override {}
    void ShowStatus(const char *text) override { status_.SetStatusText(text); }

  private:
    StatusLine &status_;
};

// The longest a wait lasts while a batch waits for others to join it.
constexpr int kBatchPollMs = 1;
// At a stop, what has already come is taken in for at most this long.
constexpr std::uint64_t kStopDrainMs = 500;

} // namespace

std::string PublishFailureText(const PublishResult &result, const ServerSettings &settings,
                               const char *journal_path) {
    std::string text;
    auto line = [&text](const std::string &part) { text += (text.empty() ? "" : "\r\n") + part; };
    char path[400];
    BuildDataFilePath(settings, path, sizeof path);
    if (result.page_failed) line(std::string("Cannot write the page ") + settings.HTMLFile);
    if (result.load_failed) line(std::string("Cannot read ") + path);
    if (result.save_failed) line(std::string("Cannot save ") + path);
    if (result.journal_failed) line(std::string("Cannot write the history ") + journal_path);
    return text;
}

PosixServer::PosixServer(ConfigFile &config, Clock &clock, Alerts &alerts, FileWriter &file_writer)
    : config(config), clock(clock), alerts(alerts), file_writer(file_writer),
      history(settings, ActiveCodePage(), file_writer), history_recorder(history, clock) {
    status.SetView(&status_view);
    publisher.SetJournal(&rollcall_follower);
    rollcall.SetJournal(&history);
    rollcall.SetListener(&rollcall_view);
}

void RollCallStreamView::Say(const char *text) { server.status.SetStatusText(text); }

void RollCallStreamView::Changed(const RollCall &roll) {
    server.connections.RollCallChanged(server.rollcall.Json(), roll.running);
}

BoardContext PosixServer::Board() { return BoardContext{table, settings, alerts, clock}; }

void PosixServer::ReportPublish(const PublishResult &result) {
    std::string text = PublishFailureText(result, settings, history.FailedPath());
    if (!text.empty()) status.SetStatusText(text.c_str());
}

int PosixServer::Start() {
    NoFirstRunHost host(status);
    LoadSettings(config, settings, table, file_writer, alerts, host);
    // One server a board: a second copy ends here, before it touches any of
    // the board's files (the first copy's save may be in flight).
    if (!ClaimBoardByLock(settings.WorkingDir)) {
        alerts.Ask(kAnotherServerText, nullptr, AlertIcon::Stop, AlertButtons::Ok);
        return kExitBoardTaken;
    }
    RemoveLeftSaves(settings);
    StartUpLoad loaded = LoadBoardAtStartUp(table, settings, board_reader, file_writer);
    if (loaded != StartUpLoad::Ready) {
        PublishResult result;
        result.load_failed = loaded == StartUpLoad::ReadFailed;
        if (result.load_failed) publisher.BoardNotRead();
        result.save_failed = loaded == StartUpLoad::SaveFailed;
        ReportPublish(result);
    }
    // No key stays in clear in the settings file past the start.
    for (const std::string &unhashed : {web_key.Load(config, settings), rollcall_keys.Load(config)})
        if (!unhashed.empty()) status.SetStatusText(unhashed.c_str());
    rollcall.Load();
    if (rollcall.Current().running) connections.RollCallChanged(rollcall.Json(), true);
    // The page is made whole at once, also with no page file set (for the
    // web port).
    BoardContext board = Board();
    ReportPublish(publisher.PublishPage(board));
    daily_reset.Start();
    reset_checked_ = MonotonicMs();
    if (!connections.OpenListener(settings.Port)) return kExitCannotServe;
    if (settings.WebPort[0] != '\0') {
        connections.ServeFrom(publisher);
        connections.AllowWebSignIn(settings, web_key, clock);
        connections.ServeRoutes(web_rollcall);
        connections.ServeRoutes(admin_routes);
        // A web port that cannot be opened leaves the sign-in port serving.
        connections.OpenListener(settings.WebPort, Pool::Web);
    }
    return kExitServed;
}

void PosixServer::RunBatches(bool finishing) {
    // A batch may let in another (requests that completed meanwhile).
    for (int round = 0; round < 8 && connections.BatchPending(); ++round) {
        BoardContext board = Board();
        PublishResult result;
        if (!connections.RunBatch(board, publisher, result, finishing)) return;
        ReportPublish(result);
        TellWatchers();
    }
}

void PosixServer::ServeTimers() {
    if (connections.OverdueCheckDue()) {
        BoardContext board = Board();
        if (publisher.RefreshOverdue(board)) TellWatchers();
    }
    std::uint64_t now = MonotonicMs();
    if (now - reset_checked_ >= PosixDailyReset::kCheckMs) {
        reset_checked_ = now;
        daily_reset.Check();
    }
}

int PosixServer::Run(StopSignals &signals) {
    for (;;) {
        int timeout = connections.BatchPending() ? kBatchPollMs : kSweepMs;
        bool woken = false;
        connections.Wait(timeout, signals.Descriptor(), woken);
        if (woken) {
            SignalAsk ask = signals.Take();
            if (ask == SignalAsk::Stop) break;
            if (ask == SignalAsk::Reload) ReloadConfig();
        }
        RunBatches(false);
        ServeTimers();
    }
    // Stopped as the service stops: what had come already (connections
    // waiting to be taken, requests that arrived) is taken in, every
    // request that came whole is applied and answered, then the sockets
    // close.
    bool woken = false;
    for (std::uint64_t until = MonotonicMs() + kStopDrainMs; MonotonicMs() < until;) {
        if (connections.Wait(0, -1, woken) == 0) break;
    }
    RunBatches(true);
    connections.CloseSockets();
    return kExitServed;
}

void PosixServer::ReloadConfig() {
    const std::string path = config.Path();
    ConfigFile fresh(file_writer);
    if (!fresh.Load(path)) {
        ReportLine(("Cannot read " + path + ": the settings stay as they were").c_str());
        return;
    }
    std::vector<std::string> faults = CheckConfig(fresh, path);
    for (const std::string &fault : faults) ReportLine(fault.c_str());
    if (!faults.empty()) {
        ReportLine("The settings stay as they were");
        return;
    }
    ServerSettings read = {};
    NoFirstRunHost host(status);
    LoadSettings(fresh, read, table, file_writer, alerts, host);
    // The keys too, a plain one written in meanwhile hashed in the file.
    for (const std::string &unhashed :
         {web_key.Load(fresh, read), LoadRollCallKeys(fresh, key_crypto, read)})
        if (!unhashed.empty()) ReportLine(unhashed.c_str());
    // The listeners and the board's folder are taken once, at start.
    struct Fixed {
        const char *name;
        char *now;
        char *read;
        size_t capacity;
    };
    const Fixed fixed[] = {
        {"WorkingDir", settings.WorkingDir, read.WorkingDir, sizeof settings.WorkingDir},
        {"Port", settings.Port, read.Port, sizeof settings.Port},
        {"WebPort", settings.WebPort, read.WebPort, sizeof settings.WebPort},
    };
    for (const Fixed &one : fixed) {
        if (std::strcmp(one.now, one.read) != 0)
            ReportLine((std::string(one.name) + " changes at the next start").c_str());
    }
    if (ConfiguredCodePage(fresh) != ActiveCodePage())
        ReportLine("CodePage changes at the next start");
    for (const Fixed &one : fixed) CopyCut(one.read, one.capacity, one.now);
    bool reset_moved = std::strcmp(read.ResetTime, settings.ResetTime) != 0;
    settings = read;
    config = fresh;
    if (reset_moved) daily_reset.Rearm();
    ReportLine(("Settings read again from " + path).c_str());
}
