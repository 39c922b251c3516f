// The server program's one instance of everything: its window, the seams it
// is made with (the settings store, the clock, the message boxes), its
// settings, board, sockets, status line, the publisher of the board and what
// its timers and dialogs keep between messages. WinMain makes it (tests make
// theirs with doubles); the main window keeps it (GWLP_USERDATA) and hands
// it to every dialog it opens (DialogBoxParam's lParam, kept in DWLP_USER).
// Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "common/alerts.h"
#include "common/code_page.h"
#include "common/key_crypto_win32.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/history/history_journal.h"
#include "server/history/history_recorder.h"
#include "server/reset/daily_reset.h"
#include "server/rollcall/roll_call_desk.h"
#include "server/rollcall/roll_call_follower.h"
#include "server/publish/publisher.h"
#include "server/engine/status_line.h"
#include "server/admin/admin_routes.h"
#include "server/shell/dialogs_on_close.h"
#include "server/shell/shell_admin_host.h"
#include "server/shell/socket_front_end.h"
#include "server/shell/window_status_view.h"
#include "server/web/web_guard.h"
#include "server/web/web_roll_call.h"

class Clock;
class SettingsStore;
struct ServerState;

// The roll call's listener in the program: a failure goes to the status
// line; a change repaints the window (it shows the counts while a roll
// call runs) and goes to the watchers of the event stream.
struct RollCallWindowView : RollCallListener {
    explicit RollCallWindowView(ServerState &server) : server(server) {}
    void Say(const char *text) override;
    void Changed(const RollCall &roll) override;
    ServerState &server;
};

struct ServerState {
    ServerState(SettingsStore &store, Clock &clock, Alerts &alerts);
    ServerState(const ServerState &) = delete;
    ServerState &operator=(const ServerState &) = delete;

    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    // Run by the service control manager (tesmar.exe /service): no window
    // of its own, its alerts in the event log.
    bool as_service = false;
    // Where the settings are kept (the registry key), the time of day, and
    // every message box of the server.
    SettingsStore &store;
    Clock &clock;
    Alerts &alerts;

    ServerSettings settings = {};
    UserTable table = {};
    StatusLine status;
    WindowStatusView status_view;
    // The platform's files, handed to what reads and writes the board's
    // own: the data file (publisher and start-up), the roll call, the
    // history (written, and read by the administration); a reader each,
    // so that no two share an open file.
    StandardFileReader board_reader;
    StandardFileReader rollcall_reader;
    StandardFileReader reset_reader;   // lastreset.txt
    StandardFileReader history_reader; // the administration's history CSV
    PlatformFileWriter file_writer;
    Publisher publisher{board_reader, file_writer};
    // The daily reset, looked at on the main window's timer.
    DailyReset reset{Board(), publisher, reset_reader, file_writer};
    SocketFrontEnd connections{status};
    // The history journal (written while the history flag is on), told of
    // every publication's changes.
    HistoryJournal history;
    HistoryRecorder history_recorder;
    // The roll call, kept in rollcall.dat; told of every publication's
    // changes (in front of the history), and writing to the journal.
    RollCallDesk rollcall;
    RollCallFollower rollcall_follower;
    RollCallWindowView rollcall_view;
    SystemKeyCrypto key_crypto;
    // The keys as the settings keep them (hashed): the browser's sign-in's,
    // and the roll call's (the marshal's or the administration's).
    WebSignKey web_key{key_crypto};
    HashedRollCallKeys rollcall_keys{key_crypto, settings};
    WebRollCall web_rollcall{rollcall, table, rollcall_keys};
    // The administration from a browser, on the web port.
    ShellAdminHost admin_host{*this};
    AdminRoutes admin_routes{admin_host, ActiveCodePage()};

    // The menu's dialogs while they are open, for a close asked for
    // meanwhile.
    MenuDialogs dialogs;
    // The User Manager while it is open, told of the browser's edits.
    HWND user_manager = nullptr;

    // The board as the table operations and request handlers take it.
    BoardContext Board();

    // Publishes an edit of the administrator, says on the status line what
    // failed of it and tells the watchers.
    PublishResult PublishEdit(const BoardChange &change);

    // Tells the engine what the publisher last made (after a batch, an
    // edit, the daily reset, the overdue look); one already told is skipped.
    void TellWatchers() { connections.Published(publisher); }

    // Tells the administrator on the status line that a change reached the
    // data file or the page only partly ("Cannot read <path>", "Cannot save
    // <path>", "Cannot write the page <path>", "Cannot write the history
    // <path>"); says nothing when nothing failed.
    void ReportPublish(const PublishResult &result);

    // Starts or ends the roll call from the server's menu; what refused it
    // goes to the status line.
    void RollCallFromDesk(RollCallCommand::Kind kind);

    // Stores one setting; when the store refuses it, kStoreFailedText says
    // so. Returns whether it was stored.
    bool StoreSetting(const char *name, const char *text);
};
