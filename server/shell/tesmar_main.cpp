// Tesmar's entry point: the program object with its seams (the registry
// key, the system clock, message boxes), window, settings, board, Windows
// Sockets, listener, then the message loop until the window closes.
#include <winsock2.h>
#include <windows.h>

#include "common/alerts_win32.h"
#include "common/clock.h"
#include "common/settings_store_win32.h"
#include "server/board/board_start_up.h"
#include "server/first_run/first_run.h"
#include "server/board/user_table.h"
#include "server/page/board_page.h"
#include "server/engine/socket_error_text.h"
#include "server/shell/board_claim.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/first_run_window.h"
#include "server/shell/main_window.h"
#include "server/shell/server_state.h"
#include "server/shell/socket_front_end.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    RegistrySettingsStore store(HKEY_LOCAL_MACHINE, kServerKeyPath);
    MessageBoxAlerts alerts;
    ServerState server(store, SystemClock(), alerts);
    server.instance = instance;
    if (!RegisterMainWindowClass(instance)) return 0;
    HWND window = CreateMainWindow(server);
    if (!window) return 0;
    ShowWindow(window, show);
    UpdateWindow(window);

    WindowFirstRunHost first_run(window, server.status, instance);
    if (!LoadSettings(server.store, server.settings, server.table, server.alerts, first_run)) {
        // The window was closed during the first-run questions.
        if (IsWindow(window)) DestroyWindow(window);
        return 0;
    }
    // One server a board: a second copy ends here, before it touches any of
    // the board's files (the first copy's save may be in flight).
    if (!ClaimBoard(server.settings.WorkingDir)) {
        server.alerts.Ask(kAnotherServerText, "Tesmar 1.41", AlertIcon::Stop, AlertButtons::Ok);
        DestroyWindow(window);
        return 0;
    }
    RemoveLeftSaves(server.settings);
    StartUpLoad loaded = LoadBoardAtStartUp(server.table, server.settings);
    if (loaded != StartUpLoad::Ready) {
        PublishResult result;
        result.load_failed = loaded == StartUpLoad::ReadFailed;
        if (result.load_failed) server.publisher.BoardNotRead();
        result.save_failed = loaded == StartUpLoad::SaveFailed;
        server.ReportPublish(result);
    }
    // The page is made whole at once: one lost with the machine's power (it
    // is replaced without a flush) or never written yet is there as soon as
    // the server is. It is made with no page file set too, for the web port.
    BoardContext board = server.Board();
    server.ReportPublish(server.publisher.PublishPage(board));
    StartDailyReset(server, window);

    WSADATA data;
    int error = WSAStartup(MAKEWORD(1, 1), &data);
    if (error != 0) {
        char text[64];
        SocketErrorText(error, text, sizeof text);
        MessageBoxA(window, text, "Tesmar 1.41", MB_ICONSTOP);
        DestroyWindow(window);
    } else {
        PostMessageA(window, MSG_LISTEN, 0, 0);
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (error == 0) WSACleanup();
    return static_cast<int>(message.wParam);
}
