#include "server/shell/server_state.h"

#include "common/alerts_win32.h"
#include "common/clock.h"
#include "common/code_page.h"
#include "common/fixed_text.h"

namespace {
MessageBoxAlerts message_boxes;
}

ServerState &TheServer() {
    static ServerState server;
    static bool ready = (server.alerts = &message_boxes, true);
    (void)ready;
    return server;
}

ServerState::ServerState()
    : history(settings, ActiveCodePage()), history_recorder(history, SystemClock()) {
    publisher.SetJournal(&history_recorder);
}

BoardContext ServerState::Board() { return BoardContext{table, settings, *alerts, SystemClock()}; }

PublishResult ServerState::PublishEdit(const BoardChange &change) {
    BoardContext board = Board();
    PublishResult result = publisher.Publish(board, {change}, {});
    ReportPublish(result);
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
