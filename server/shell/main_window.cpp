#include "server/shell/main_window.h"

#include "server/shell/admin_dialogs.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/dialogs_on_close.h"
#include "server/shell/tesmar_ids.h"
#include "server/shell/server_state.h"
#include "server/shell/socket_front_end.h"

#include <string>

const char kMainWindowClass[] = "Tesmar 1.41";
const char kSetOptionsText[] =
    "You MUST set your Options!\n\rWhen the Tesmar dialog box appears, \n\rchoose Edit, "
    "Options.\n\r\n\r";

namespace {

// The status line, and under it the counts of a roll call that runs.
void PaintStatusLine(ServerState &server, HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    std::string text(server.status.Text(), static_cast<size_t>(server.status.Length()));
    const RollCall &roll = server.rollcall.Current();
    if (roll.running) {
        if (!text.empty()) text += "\r\n";
        text += std::string(roll.drill ? "DRILL roll call: " : "Roll call: ") +
                std::to_string(SafeCount(roll)) + " of " + std::to_string(ExpectedCount(roll)) +
                " safe";
    }
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client,
              DT_EXPANDTABS | DT_WORDBREAK);
    EndPaint(window, &paint);
}

// Asked after each socket notice and tick, in the window procedure (a modal
// dialog's loop dispatches the notices here too): a pending batch runs
// unless notices are queued that may add to it, in which case it is asked
// for again after them. A batch that let waiting connections in may leave
// another pending.
void RunPendingBatch(ServerState &server) {
    while (server.connections.BatchPending()) {
        BoardContext board = server.Board();
        bool ran = false;
        server.ReportPublish(server.connections.RunBatch(board, server.publisher, ran));
        if (!ran) return;
        server.TellWatchers();
    }
}

void RunUsersCommand(ServerState &server, HWND window) {
    if (server.settings.HTMLFile[0] != '\0')
        RunUserManager(server, window);
    else
        server.alerts.Ask(kSetOptionsText, nullptr, AlertIcon::Warning, AlertButtons::Ok);
}

} // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA window_class = {};
    window_class.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    window_class.lpfnWndProc = MainWindowProc;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, "Icon");
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    window_class.lpszMenuName = "SISODMENU";
    window_class.lpszClassName = kMainWindowClass;
    return RegisterClassA(&window_class) != 0;
}

HWND CreateMainWindow(ServerState &server) {
    HWND window =
        CreateWindowExA(0, kMainWindowClass, kMainWindowClass, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 150, 150, nullptr, nullptr, server.instance, &server);
    server.main_window = window;
    server.status_view.window = window;
    server.status.SetView(&server.status_view);
    return window;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA *create = reinterpret_cast<const CREATESTRUCTA *>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    ServerState *found = reinterpret_cast<ServerState *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // Messages that come before WM_NCCREATE (WM_GETMINMAXINFO) have no
    // program yet.
    if (!found) return DefWindowProcA(window, message, wparam, lparam);
    ServerState &server = *found;
    switch (message) {
    case WM_PAINT:
        PaintStatusLine(server, window);
        return 0;
    case WM_CLOSE:
        if (server.dialogs.CloseAfterDialogs()) return 0;
        server.connections.CloseSockets();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDM_OPTIONS:
            server.dialogs.Run(window, [&] { RunOptionsDialog(server, window); });
            return 0;
        case IDM_USERS:
            server.dialogs.Run(window, [&] { RunUsersCommand(server, window); });
            return 0;
        case IDM_BOARD_OPTIONS:
            server.dialogs.Run(window, [&] { RunBoardOptionsDialog(server, window); });
            return 0;
        case IDM_ROLLCALL_START:
            server.RollCallFromDesk(RollCallCommand::Start);
            return 0;
        case IDM_ROLLCALL_END:
            server.RollCallFromDesk(RollCallCommand::End);
            return 0;
        case IDM_ABOUT:
            server.dialogs.Run(window, [&] { RunAboutBox(server, window); });
            return 0;
        }
        break;
    case WM_TIMER:
        if (wparam == kDailyResetTimer) {
            CheckDailyReset(server);
            server.TellWatchers();
            return 0;
        }
        if (wparam == kSweepTimer) {
            server.connections.TimerMessage();
            RunPendingBatch(server);
            if (server.connections.OverdueCheckDue()) {
                BoardContext board = server.Board();
                server.publisher.RefreshOverdue(board);
                server.TellWatchers();
            }
            return 0;
        }
        break;
    case MSG_LISTEN:
        server.connections.OpenListener(window, server.settings.Port);
        if (server.settings.WebPort[0] != '\0') {
            server.connections.ServeFrom(server.publisher);
            server.connections.AllowWebSignIn(server.settings, server.web_key, server.clock);
            server.connections.ServeRoutes(server.web_rollcall);
            server.connections.ServeRoutes(server.admin_routes);
            server.connections.OpenListener(window, server.settings.WebPort, Pool::Web);
        }
        return 0;
    case MSG_ACCEPT:
        server.connections.AcceptMessage(wparam);
        RunPendingBatch(server);
        return 0;
    case MSG_SOCKET:
        server.connections.SocketMessage(wparam, lparam);
        RunPendingBatch(server);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
