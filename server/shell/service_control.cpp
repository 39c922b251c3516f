#include "server/shell/service_control.h"

#include <atomic>

#include "server/shell/console_text.h"
#include "server/shell/service_install.h"
#include "server/shell/service_program.h"

namespace {

// The one service of the process, as the manager's thread and the
// service's thread both see it.
SERVICE_STATUS_HANDLE g_handle = nullptr;
SERVICE_STATUS g_status = {};
std::atomic<HWND> g_window{nullptr};
std::atomic<bool> g_stop_asked{false};
CRITICAL_SECTION g_lock;

void Report(DWORD state, DWORD exit_code, DWORD wait_hint) {
    EnterCriticalSection(&g_lock);
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted =
        state == SERVICE_RUNNING
            ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PRESHUTDOWN
            : 0;
    g_status.dwWin32ExitCode = exit_code;
    g_status.dwWaitHint = wait_hint;
    bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    g_status.dwCheckPoint = pending ? g_status.dwCheckPoint + 1 : 0;
    if (g_handle) SetServiceStatus(g_handle, &g_status);
    LeaveCriticalSection(&g_lock);
}

DWORD WINAPI Control(DWORD control, DWORD, void *, void *) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
    case SERVICE_CONTROL_PRESHUTDOWN:
        if (!g_stop_asked.exchange(true)) {
            Report(SERVICE_STOP_PENDING, NO_ERROR, kStopWaitHintMs);
            HWND window = g_window.load();
            if (window) PostMessageA(window, MSG_SERVICE_STOP, 0, 0);
        }
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPSTR *) {
    g_handle = RegisterServiceCtrlHandlerExA(kServiceName, Control, nullptr);
    if (!g_handle) return;
    Report(SERVICE_START_PENDING, NO_ERROR, 10000);
    DWORD exit_code = RunServiceProgram(GetModuleHandleA(nullptr));
    g_window.store(nullptr);
    Report(SERVICE_STOPPED, exit_code, 0);
}

} // namespace

int RunServiceDispatcher() {
    InitializeCriticalSection(&g_lock);
    char name[sizeof kServiceName];
    lstrcpyA(name, kServiceName);
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(table)) {
        ConsoleLine("Tesmar: /service is for the service control manager; install the service "
                    "with tesmar.exe /install and start it with sc start Tesmar.");
        return 1;
    }
    return 0;
}

void SetServiceWindow(HWND window) {
    g_window.store(window);
    if (window && g_stop_asked.load()) PostMessageA(window, MSG_SERVICE_STOP, 0, 0);
}

void ReportServiceRunning() {
    if (!g_stop_asked.load()) Report(SERVICE_RUNNING, NO_ERROR, 0);
}

void ReportStopProgress() { Report(SERVICE_STOP_PENDING, NO_ERROR, kStopWaitHintMs); }
