// Tesmar's entry point. With no command: the program object with its seams
// (the registry key, the system clock, message boxes), window, settings,
// board, Windows Sockets, listener, then the message loop until the window
// closes. /install [/account DOMAIN\user], /uninstall and /service: the
// program as a Windows service (service_install.h, service_control.h).
#include <winsock2.h>
#include <windows.h>

#include "common/alerts_win32.h"
#include "common/clock.h"
#include "common/settings_store_win32.h"
#include "server/first_run/first_run.h"
#include "server/engine/socket_error_text.h"
#include "server/shell/board_claim.h"
#include "server/shell/console_text.h"
#include "server/shell/first_run_window.h"
#include "server/shell/main_window.h"
#include "server/shell/program_start.h"
#include "server/shell/server_state.h"
#include "server/shell/service_control.h"
#include "server/shell/service_install.h"
#include "server/shell/socket_front_end.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> Words(const char *line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (const char *p = line;; ++p) {
        if (*p == '"') {
            quoted = !quoted;
        } else if (*p == '\0' || (!quoted && (*p == ' ' || *p == '\t'))) {
            if (!word.empty()) words.push_back(word);
            word.clear();
            if (*p == '\0') break;
        } else {
            word += *p;
        }
    }
    return words;
}

bool Is(const std::string &word, const char *command) {
    return lstrcmpiA(word.c_str(), command) == 0;
}

// A command line's action; -1 when it names none (the desktop server).
int RunCommand(const std::vector<std::string> &words) {
    if (words.empty()) return -1;
    if (words.size() == 1 && Is(words[0], "/service")) return RunServiceDispatcher();
    if (words.size() == 1 && Is(words[0], "/uninstall")) return UninstallService();
    if (Is(words[0], "/install")) {
        if (words.size() == 1) return InstallService("");
        if (words.size() == 3 && Is(words[1], "/account")) return InstallService(words[2]);
    }
    ConsoleLine(
        "Usage: tesmar.exe [/install [/account DOMAIN\\user] | /uninstall | /service]\r\n"
        "  /install    registers the service Tesmar (the account's password is read from\r\n"
        "              standard input)\r\n"
        "  /uninstall  stops and removes it; the board's files stay");
    return 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show) {
    int commanded = RunCommand(Words(command_line));
    if (commanded >= 0) return commanded;
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
    if (!LoadSettings(server.store, server.settings, server.table, server.file_writer,
                      server.alerts, first_run)) {
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
    OpenBoard(server, window);

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
