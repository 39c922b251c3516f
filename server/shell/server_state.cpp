#include "server/shell/server_state.h"

#include "common/code_page.h"
#include "common/fixed_text.h"

#include "common/settings_store.h"

ServerState::ServerState(SettingsStore &store, Clock &clock, Alerts &alerts)
    : store(store), clock(clock), alerts(alerts), history(settings, ActiveCodePage(), file_writer),
      history_recorder(history, clock),
      rollcall(settings, clock, ActiveCodePage(), rollcall_reader, file_writer),
      rollcall_follower(rollcall, &history_recorder), rollcall_view(*this) {
    publisher.SetJournal(&rollcall_follower);
    rollcall.SetJournal(&history);
    rollcall.SetListener(&rollcall_view);
}

void RollCallWindowView::Say(const char *text) { server.status.SetStatusText(text); }

void RollCallWindowView::Changed(const RollCall &roll) {
    if (server.main_window) InvalidateRect(server.main_window, nullptr, TRUE);
    server.connections.RollCallChanged(server.rollcall.Json(), roll.running);
}

void ServerState::RollCallFromDesk(RollCallCommand::Kind kind) {
    RollCallCommand command;
    command.kind = kind;
    RollCallReply reply = rollcall.Apply(command, table, "desk");
    if (reply.status == 409)
        status.SetStatusText(kind == RollCallCommand::Start ? "A roll call is running already"
                                                            : "No roll call is running");
}

BoardContext ServerState::Board() { return BoardContext{table, settings, alerts, clock}; }

PublishResult ServerState::PublishEdit(const BoardChange &change) {
    BoardContext board = Board();
    PublishResult result = publisher.Publish(board, {change}, {});
    ReportPublish(result);
    TellWatchers();
    return result;
}

void ServerState::ReportPublish(const PublishResult &result) {
    char text[1024] = "";
    if (result.page_failed) {
        AppendCut(text, "Cannot write the page ");
        AppendCut(text, settings.HTMLFile);
    }
    if (result.load_failed) {
        char path[400];
        BuildDataFilePath(settings, path, sizeof path);
        if (text[0]) AppendCut(text, "\r\n");
        AppendCut(text, "Cannot read ");
        AppendCut(text, path);
    }
    if (result.save_failed) {
        char path[400];
        BuildDataFilePath(settings, path, sizeof path);
        if (text[0]) AppendCut(text, "\r\n");
        AppendCut(text, "Cannot save ");
        AppendCut(text, path);
    }
    if (result.journal_failed) {
        if (text[0]) AppendCut(text, "\r\n");
        AppendCut(text, "Cannot write the history ");
        AppendCut(text, history.FailedPath());
    }
    if (text[0]) status.SetStatusText(text);
}

bool ServerState::StoreSetting(const char *name, const char *text) {
    bool stored = WriteSetting(store, name, text);
    if (!stored)
        alerts.Ask(kStoreFailedText, kStoreFailedCaption, AlertIcon::Warning, AlertButtons::Ok);
    return stored;
}
