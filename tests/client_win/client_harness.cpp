#include "tests/client_win/client_harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "client/client_program.h"
#include "client/connection.h"
#include "client/signin_dialog.h"
#include "client/wenlo_ids.h"
#include "common/settings_store_win32.h"

AlertsRecorder g_recorder;
ScriptedTray g_tray_shell;
RecordedReason g_reason;
FixedClock g_fixed_clock{ClockTime{9, 7, 0}};

void ResetClient() {
    g_recorder.asked.clear();
    g_recorder.answers.clear();
    g_recorder.while_asking = nullptr;
    g_fixed_clock.time = {9, 7, 0};
    g_program.alerts = &g_recorder;
    g_program.clock = &g_fixed_clock;
    g_tray_shell.calls.clear();
    g_tray_shell.answers.clear();
    g_program.tray_shell = &g_tray_shell;
    g_reason.calls.clear();
    g_reason.text.clear();
    g_program.end_session_reason = &g_reason;
    g_program.instance = GetModuleHandleA(nullptr);
    ResetClientProgram();
}

HWND OpenSignInDialog() {
    return CreateDialogParamA(g_program.instance, MAKEINTRESOURCEA(IDD_SIGN_IN), nullptr,
                              SignInDialogProc, 0);
}

void CloseSignInDialog() {
    EndConnection();
    if (g_program.dialog) DestroyWindow(g_program.dialog);
    g_program.dialog = nullptr;
    PumpFor(20);
}

bool PumpUntil(const std::function<bool()> &done, int timeout_ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (static_cast<int>(GetTickCount() - start) > timeout_ms) return done();
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (done()) return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

std::string DialogText(HWND dialog, int control) {
    char text[256] = "";
    GetDlgItemTextA(dialog, control, text, sizeof text);
    return text;
}

namespace {

const char kKeyPath[] = "SOFTWARE\\KVT\\Wenlo";

// One root's client key as it was found.
struct KeptKey {
    HKEY root;
    bool existed = false;
    std::vector<std::pair<std::string, std::string>> values;
};
KeptKey g_kept[] = {{HKEY_LOCAL_MACHINE, false, {}}, {HKEY_CURRENT_USER, false, {}}};

} // namespace

SettingsStore &MemberKey() {
    static RegistrySettingsStore member(HKEY_CURRENT_USER, kKeyPath);
    return member;
}

void SaveClientKey() {
    for (KeptKey &kept : g_kept) {
        kept.values.clear();
        HKEY key;
        kept.existed = RegOpenKeyExA(kept.root, kKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (!kept.existed) continue;
        for (DWORD i = 0;; ++i) {
            char name[256];
            BYTE data[2048];
            DWORD name_size = sizeof name, data_size = sizeof data - 1, type = 0;
            if (RegEnumValueA(key, i, name, &name_size, nullptr, &type, data, &data_size) !=
                ERROR_SUCCESS)
                break;
            data[data_size] = 0;
            if (type == REG_SZ) kept.values.push_back({name, reinterpret_cast<char *>(data)});
        }
        RegCloseKey(key);
    }
}

void DeleteClientKey() {
    for (KeptKey &kept : g_kept)
        RegDeleteKeyA(kept.root, kKeyPath);
}

void RestoreClientKey() {
    DeleteClientKey();
    for (KeptKey &kept : g_kept) {
        HKEY key;
        if (!kept.existed || RegCreateKeyExA(kept.root, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &key, nullptr) != ERROR_SUCCESS)
            continue;
        for (auto &value : kept.values)
            RegSetValueExA(key, value.first.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE *>(value.second.c_str()),
                           static_cast<DWORD>(value.second.size() + 1));
        RegCloseKey(key);
    }
}

namespace {

// Keeps the shared prefix's client key as it was found.
class ClientKeyEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { SaveClientKey(); }
    void TearDown() override { RestoreClientKey(); }
};

const ::testing::Environment *const g_environment =
    ::testing::AddGlobalTestEnvironment(new ClientKeyEnvironment);

} // namespace
