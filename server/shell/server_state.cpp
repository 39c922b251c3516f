#include "server/shell/server_state.h"

#include "common/code_page.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"

ServerState::ServerState(SettingsStore &store, Clock &clock, Alerts &alerts)
    : store(store), clock(clock), alerts(alerts), history(settings, ActiveCodePage()),
      history_recorder(history, clock) {
    publisher.SetJournal(&history_recorder);
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
    if (!stored) alerts.Ask(kStoreFailedText, kStoreFailedCaption, AlertIcon::Warning, AlertButtons::Ok);
    return stored;
}
