#include "tests/wine/client/client_harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "client/client_program.h"
#include "client/request_exchange.h"
#include "client/automatic_dialog.h"
#include "client/names_dialog.h"
#include "client/options_dialog.h"
#include "client/shown_state.h"
#include "client/signin_dialog.h"
#include "client/wenlo_ids.h"
#include "common/settings_store_win32.h"

AlertsRecorder g_recorder;
ScriptedTray g_tray_shell;
RecordedReason g_reason;
FixedClock g_fixed_clock{ClockTime{9, 7, 0}};
ScriptedSession g_session;

void ResetClient() {
    g_recorder.asked.clear();
    g_recorder.answers.clear();
    g_recorder.while_asking = nullptr;
    g_fixed_clock.time = {9, 7, 0};
    g_program.alerts = &g_recorder;
    g_program.clock = &g_fixed_clock;
    g_tray_shell.calls.clear();
    g_tray_shell.answers.clear();
    g_tray_shell.answer_of = nullptr;
    g_program.tray_shell = &g_tray_shell;
    g_reason.calls.clear();
    g_reason.text.clear();
    g_program.end_session_reason = &g_reason;
    g_session.locked = g_session.remote = false;
    g_program.session_probe = &g_session;
    g_program.instance = GetModuleHandleA(nullptr);
    EndConnection(); // a request of the test before ends quietly
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

std::string DialogText(HWND dialog, int control) {
    char text[256] = "";
    GetDlgItemTextA(dialog, control, text, sizeof text);
    return text;
}

namespace {

const char kKeyPath[] = "SOFTWARE\\KVT\\Wenlo";

} // namespace

SettingsStore &MemberKey() {
    static RegistrySettingsStore member(HKEY_CURRENT_USER, kKeyPath);
    return member;
}

void DeleteClientKey() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKeyPath);
}
