#include "server/shell/service_install.h"

#include <winsock2.h>
#include <windows.h>

#include "server/shell/console_text.h"
#include "server/shell/event_log.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitNoRights = 5;
constexpr char kSourceKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tesmar";
constexpr char kDescription[] =
    "Keeps the office in/out board: answers the members' sign-ins, saves the board, writes "
    "its page and serves it to browsers.";

std::string ErrorText(DWORD code) {
    char text[256] = "";
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, text, sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' '))
        text[--n] = '\0';
    return (n ? std::string(text) : std::string("error")) + " (" + std::to_string(code) + ")";
}

int Failed(const std::string &what, DWORD code) {
    if (code == ERROR_ACCESS_DENIED) {
        ConsoleLine("Tesmar: " + what +
                    " needs an administrator's rights; run it from an "
                    "elevated command prompt.");
        return kExitNoRights;
    }
    ConsoleLine("Tesmar: " + what + " failed: " + ErrorText(code));
    return kExitFailed;
}

std::string ProgramPath() {
    char path[MAX_PATH * 2] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// The delayed automatic start. A service manager that does not take it
// (Wine's) gets the value that Windows' own keeps it in, in the service's
// record; said is told so.
bool DelayStart(SC_HANDLE service, std::string &said) {
    SERVICE_DELAYED_AUTO_START_INFO delayed = {TRUE};
    if (ChangeServiceConfig2A(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed))
        return true;
    HKEY key;
    std::string path = std::string("SYSTEM\\CurrentControlSet\\Services\\") + kServiceName;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD on = 1;
    LONG result = RegSetValueExA(key, "DelayedAutostart", 0, REG_DWORD,
                                 reinterpret_cast<const BYTE *>(&on), sizeof on);
    RegCloseKey(key);
    said = "The service manager did not take the delayed start: it is written to the service's "
           "record (DelayedAutostart) instead.";
    return result == ERROR_SUCCESS;
}

// Description, delayed automatic start, a restart a minute after a
// failure, and time for the batch at a shutdown.
bool ConfigureService(SC_HANDLE service, std::string &said) {
    char description[sizeof kDescription];
    lstrcpyA(description, kDescription);
    SERVICE_DESCRIPTIONA text = {description};
    SC_ACTION restart[3] = {
        {SC_ACTION_RESTART, 60000}, {SC_ACTION_RESTART, 60000}, {SC_ACTION_RESTART, 60000}};
    SERVICE_FAILURE_ACTIONSA recovery = {};
    recovery.dwResetPeriod = 24 * 60 * 60;
    recovery.cActions = 3;
    recovery.lpsaActions = restart;
    SERVICE_PRESHUTDOWN_INFO preshutdown = {15000};
    bool done = ChangeServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION, &text) &&
                ChangeServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, &recovery) &&
                DelayStart(service, said);
    // Older systems know no pre-shutdown notice: the shutdown notice serves.
    ChangeServiceConfig2A(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, &preshutdown);
    return done;
}

DWORD RegisterEventSource(const std::string &program) {
    HKEY key;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSourceKey, 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) return static_cast<DWORD>(result);
    DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    result = RegSetValueExA(key, "EventMessageFile", 0, REG_EXPAND_SZ,
                            reinterpret_cast<const BYTE *>(program.c_str()),
                            static_cast<DWORD>(program.size() + 1));
    if (result == ERROR_SUCCESS)
        result = RegSetValueExA(key, "TypesSupported", 0, REG_DWORD,
                                reinterpret_cast<const BYTE *>(&types), sizeof types);
    RegCloseKey(key);
    return static_cast<DWORD>(result);
}

// Makes the service, or brings an existing one up to this program and
// account (an install over an earlier one).
SC_HANDLE CreateOrUpdate(SC_HANDLE manager, const std::string &command, const char *account,
                         const char *password, bool &existed) {
    existed = false;
    SC_HANDLE service =
        CreateServiceA(manager, kServiceName, kServiceDisplayName, SERVICE_ALL_ACCESS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                       command.c_str(), nullptr, nullptr, nullptr, account, password);
    if (service || GetLastError() != ERROR_SERVICE_EXISTS) return service;
    existed = true;
    service = OpenServiceA(manager, kServiceName, SERVICE_ALL_ACCESS);
    if (service && !ChangeServiceConfigA(service, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                         SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
                                         nullptr, account, password, kServiceDisplayName)) {
        DWORD error = GetLastError();
        CloseServiceHandle(service);
        SetLastError(error);
        return nullptr;
    }
    return service;
}

} // namespace

int InstallService(const std::string &account_asked) {
    std::string account = account_asked.empty() ? kServiceAccount : account_asked;
    std::string password;
    if (!account_asked.empty() && !ConsoleReadLine(password)) {
        ConsoleLine("Tesmar: the password of " + account +
                    " is read from standard input; none came.");
        return kExitFailed;
    }
    SC_HANDLE manager =
        OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE);
    if (!manager) return Failed("installing the service", GetLastError());
    std::string program = ProgramPath();
    std::string command = "\"" + program + "\" /service";
    bool existed = false;
    SC_HANDLE service = CreateOrUpdate(manager, command, account.c_str(),
                                       account_asked.empty() ? nullptr : password.c_str(), existed);
    SecureZeroMemory(&password[0], password.size());
    if (!service) {
        DWORD error = GetLastError();
        CloseServiceHandle(manager);
        return Failed("installing the service", error);
    }
    std::string said;
    bool configured = ConfigureService(service, said);
    DWORD config_error = configured ? 0 : GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    ConsoleLine(std::string(existed ? "Updated" : "Installed") + " the service " + kServiceName +
                " (\"" + kServiceDisplayName + "\"): " + command + ", account " + account +
                ", starts automatically (delayed), restarts a minute after a failure.");
    if (!said.empty()) ConsoleLine(said);
    if (!configured) return Failed("setting its start, description and recovery", config_error);
    DWORD source_error = RegisterEventSource(program);
    if (source_error != 0) return Failed("registering the event source Tesmar", source_error);
    ConsoleLine("Registered the event source Tesmar in the Application log.");
    return 0;
}

namespace {

// Asks a running service to stop and waits for it (at most 30 s). True
// when it is stopped.
bool StopAndWait(SC_HANDLE service) {
    SERVICE_STATUS status = {};
    if (!QueryServiceStatus(service, &status)) return false;
    if (status.dwCurrentState == SERVICE_STOPPED) return true;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    ULONGLONG deadline = GetTickCount64() + 30000;
    while (GetTickCount64() < deadline) {
        if (!QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState == SERVICE_STOPPED) return true;
        Sleep(200);
    }
    return false;
}

} // namespace

int UninstallService() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return Failed("removing the service", GetLastError());
    SC_HANDLE service =
        OpenServiceA(manager, kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!service) {
        DWORD error = GetLastError();
        CloseServiceHandle(manager);
        if (error != ERROR_SERVICE_DOES_NOT_EXIST) return Failed("removing the service", error);
        ConsoleLine(std::string("The service ") + kServiceName + " is not installed.");
    } else {
        bool stopped = StopAndWait(service);
        bool deleted = DeleteService(service) != 0;
        DWORD error = GetLastError();
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
        if (!deleted) return Failed("removing the service", error);
        ConsoleLine(
            std::string(stopped ? "Stopped and removed" : "Removed (it stops when it can)") +
            " the service " + kServiceName + ".");
    }
    LONG result = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSourceKey);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        return Failed("removing the event source Tesmar", static_cast<DWORD>(result));
    ConsoleLine("Removed the event source Tesmar; the board's files are left where they are.");
    return 0;
}
