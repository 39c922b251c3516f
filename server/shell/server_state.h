// The server program's one instance of everything: its window, settings,
// board, sockets, status line, alerts and the publisher of the board.
// The window and dialog procedures reach it through TheServer(). Windows
// only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "common/alerts.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/history/history_journal.h"
#include "server/history/history_recorder.h"
#include "server/service/publisher.h"
#include "server/service/status_line.h"
#include "server/shell/socket_front_end.h"

// The status line shows in the main window: a change repaints it.
struct WindowStatusView : StatusLine::View {
    HWND window = nullptr;
    void StatusChanged() override {
        if (window) InvalidateRect(window, nullptr, TRUE);
    }
};

struct ServerState {
    ServerState();
    ServerState(const ServerState &) = delete;
    ServerState &operator=(const ServerState &) = delete;

    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    ServerSettings settings = {};
    UserTable table = {};
    // Every message box of the server goes through here (tests put a
    // recorder in its place).
    Alerts *alerts = nullptr;
    StatusLine status;
    WindowStatusView status_view;
    Publisher publisher;
    SocketFrontEnd connections{status};
    // The history journal (written while the history flag is on), told of
    // every publication's changes.
    HistoryJournal history;
    HistoryRecorder history_recorder;

    // The board as the table operations and request handlers take it.
    BoardContext Board();

    // Publishes an edit of the administrator and says on the status line
    // what failed of it.
    PublishResult PublishEdit(const BoardChange &change);

    // Tells the administrator on the status line that a change reached the
    // data file or the page only partly ("Cannot read <path>", "Cannot save
    // <path>", "Cannot write the page <path>", "Cannot write the history
    // <path>"); says
    // nothing when nothing failed.
    void ReportPublish(const PublishResult &result);
};

// The one server the program runs.
ServerState &TheServer();
