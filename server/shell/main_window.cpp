#include "server/shell/main_window.h"

#include "common/clock.h"
#include "server/service/status_line.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/dialogs_on_close.h"
#include "server/shell/resource.h"
#include "server/shell/server_state.h"
#include "server/shell/socket_front_end.h"

const char kMainWindowClass[] = "Tesmar 1.41";
const char kSetOptionsText[] =
    "You MUST set your Options!\n\rWhen the Tesmar dialog box appears, \n\rchoose Edit, "
    "Options.\n\r\n\r";

namespace {

void PaintStatusLine(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const StatusLine &status = TheServer().status;
    DrawTextA(dc, status.Text(), status.Length(), &client, DT_EXPANDTABS);
    EndPaint(window, &paint);
}

void RunBatch(ServerState &server) {
    BoardContext board = server.Board();
    server.ReportPublish(server.connections.BatchMessage(board, server.publisher));
}

void RunUsersCommand(HWND window) {
    if (TheServer().settings.HTMLFile[0] != '\0')
        RunUserManager(window);
    else
        TheServer().alerts->Ask(kSetOptionsText, nullptr, AlertIcon::Warning, AlertButtons::Ok);
}

} // namespace

int RegisterMainWindowClass(HINSTANCE instance) {
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

HWND CreateMainWindow(HINSTANCE instance) {
    HWND window = CreateWindowExA(0, kMainWindowClass, kMainWindowClass, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 150, 150, nullptr, nullptr,
                                  instance, nullptr);
    ServerState &server = TheServer();
    server.main_window = window;
    server.status_view.window = window;
    server.status.SetView(&server.status_view);
    return window;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    ServerState &server = TheServer();
    switch (message) {
    case WM_PAINT:
        PaintStatusLine(window);
        return 0;
    case WM_CLOSE:
        if (CloseAfterDialogs()) return 0;
        server.connections.CloseSockets();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDM_OPTIONS:
            RunMenuDialogs(window, RunOptionsDialog);
            return 0;
        case IDM_USERS:
            RunMenuDialogs(window, RunUsersCommand);
            return 0;
        case IDM_BOARD_OPTIONS:
            RunMenuDialogs(window, RunBoardOptionsDialog);
            return 0;
        case IDM_ABOUT:
            RunMenuDialogs(window, RunAboutBox);
            return 0;
        }
        break;
    case WM_TIMER:
        if (wparam == kDailyResetTimer) {
            CheckDailyReset();
            return 0;
        }
        if (wparam == kSweepTimer) {
            server.connections.TimerMessage();
            if (server.connections.OverdueCheckDue()) {
                BoardContext board = server.Board();
                server.publisher.RefreshOverdue(board);
            }
            return 0;
        }
        break;
    case MSG_LISTEN:
        server.connections.OpenListener(window, server.settings.Port);
        if (server.settings.WebPort[0] != '\0') {
            server.connections.ServeFrom(server.publisher);
            server.connections.AllowWebSignIn(server.settings, SystemClock());
            server.connections.OpenListener(window, server.settings.WebPort, Pool::Web);
        }
        return 0;
    case MSG_ACCEPT:
        server.connections.AcceptMessage(wparam);
        return 0;
    case MSG_SOCKET:
        server.connections.SocketMessage(wparam, lparam);
        return 0;
    case MSG_BATCH:
        RunBatch(server);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}
