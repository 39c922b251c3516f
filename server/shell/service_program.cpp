#include "server/shell/service_program.h"

#include <shlobj.h>

#include <string>
#include <vector>

#include "common/clock.h"
#include "common/fixed_text.h"
#include "common/settings_store_win32.h"
#include "server/engine/socket_error_text.h"
#include "server/first_run/unattended_settings.h"
#include "server/shell/board_claim.h"
#include "server/shell/event_log.h"
#include "server/shell/main_window.h"
#include "server/shell/program_start.h"
#include "server/shell/server_state.h"
#include "server/shell/service_control.h"
#include "server/shell/socket_front_end.h"

namespace {

constexpr char kServiceWindowClass[] = "Tesmar service";
constexpr UINT_PTR kStopTimer = 3;
constexpr UINT kStopTickMs = 100;

// The stop in progress (one service a process).
struct Stopping {
    bool started = false;
    ULONGLONG since = 0;
};
Stopping g_stopping;

// The last step of a stop: no batch left, every connection closed.
void EndStop(ServerState &server, HWND window) {
    BoardContext board = server.Board();
    server.ReportPublish(server.connections.FinishBatch(board, server.publisher));
    server.TellWatchers();
    server.connections.CloseSockets();
    KillTimer(window, kStopTimer);
    DestroyWindow(window);
}

// Each step of a stop: the batch that the open connections' requests made
// is published, and once none is open (or the time is up) the stop ends.
void StopTick(ServerState &server, HWND window) {
    ReportStopProgress();
    BoardContext board = server.Board();
    if (server.connections.BatchPending()) {
        server.ReportPublish(server.connections.FinishBatch(board, server.publisher));
        server.TellWatchers();
    }
    bool drained = server.connections.OpenCount() == 0 && !server.connections.BatchPending();
    if (drained || GetTickCount64() - g_stopping.since >= kStopDrainMs) EndStop(server, window);
}

LRESULT CALLBACK ServiceWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    ServerState *server = reinterpret_cast<ServerState *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (server && message == MSG_SERVICE_STOP) {
        if (!g_stopping.started) {
            g_stopping.started = true;
            g_stopping.since = GetTickCount64();
            server->connections.StopAccepting();
            SetTimer(window, kStopTimer, kStopTickMs, nullptr);
            StopTick(*server, window);
        }
        return 0;
    }
    if (server && message == WM_TIMER && wparam == kStopTimer) {
        StopTick(*server, window);
        return 0;
    }
    return MainWindowProc(window, message, wparam, lparam);
}

HWND CreateServiceWindow(ServerState &server) {
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = ServiceWindowProc;
    window_class.hInstance = server.instance;
    window_class.lpszClassName = kServiceWindowClass;
    if (!RegisterClassA(&window_class)) return nullptr;
    HWND window = CreateWindowExA(0, kServiceWindowClass, kServiceWindowClass, 0, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, server.instance, &server);
    server.main_window = window;
    return window;
}

// %ProgramData%\KVT\Tesmar, made when missing; "" when there is none.
std::string ProposedWorkingDir() {
    char data[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, data)))
        return "";
    std::string dir = std::string(data) + "\\KVT";
    CreateDirectoryA(dir.c_str(), nullptr);
    dir += "\\Tesmar";
    CreateDirectoryA(dir.c_str(), nullptr);
    return GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES ? "" : dir;
}

std::string ServingText(const ServerSettings &settings) {
    std::string text = std::string("Tesmar serves the board in ") + settings.WorkingDir +
                       " on port " + settings.Port;
    if (settings.WebPort[0]) text += std::string(", web port ") + settings.WebPort;
    return text + ".";
}

// Settings, claim and board; false (with the reason in the event log and
// exit_code) when the service cannot serve.
bool PrepareService(ServerState &server, EventSink &log, HWND window, DWORD &exit_code) {
    std::vector<std::string> notes;
    std::string proposed = ProposedWorkingDir();
    bool loaded = LoadUnattendedSettings(server.store, server.settings, server.table,
                                         server.file_writer, proposed.c_str(), notes);
    for (const std::string &note : notes) log.Write(EventKind::Setting, note.c_str());
    if (!loaded) {
        exit_code = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (!ClaimBoard(server.settings.WorkingDir)) {
        std::string text = std::string(kAnotherServerText) + " (" + server.settings.WorkingDir +
                           "): the service stops.";
        log.Write(EventKind::Failure, text.c_str());
        exit_code = ERROR_ALREADY_EXISTS;
        return false;
    }
    OpenBoard(server, window);
    return true;
}

} // namespace

DWORD RunServiceProgram(HINSTANCE instance) {
    RegistrySettingsStore store(HKEY_LOCAL_MACHINE, kServerKeyPath);
    SystemEventLog log;
    EventLogAlerts alerts(log);
    ServerState server(store, SystemClock(), alerts);
    server.instance = instance;
    server.as_service = true;
    EventLogStatusView view(log, server.status);
    server.status.SetView(&view);
    HWND window = CreateServiceWindow(server);
    if (!window) return GetLastError();
    DWORD exit_code = NO_ERROR;
    if (!PrepareService(server, log, window, exit_code)) {
        DestroyWindow(window);
        return exit_code;
    }
    WSADATA data;
    int error = WSAStartup(MAKEWORD(1, 1), &data);
    if (error != 0) {
        char text[64];
        SocketErrorText(error, text, sizeof text);
        log.Write(EventKind::Failure, text);
        DestroyWindow(window);
        return static_cast<DWORD>(error);
    }
    PostMessageA(window, MSG_LISTEN, 0, 0);
    SetServiceWindow(window);
    ReportServiceRunning();
    log.Write(EventKind::Started, ServingText(server.settings).c_str());
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    SetServiceWindow(nullptr);
    WSACleanup();
    log.Write(EventKind::Stopped, "Tesmar has stopped: the batch in hand was published and "
                                  "every connection closed.");
    return NO_ERROR;
}
