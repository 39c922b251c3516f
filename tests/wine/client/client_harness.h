// What the in-process client tests share: a client program of each test's
// own, made with a recorder in place of the message boxes, a fixed clock, a
// scripted tray, end-session reason and session, and its settings in the
// (redirected) registry as wenlo.exe keeps them; the sign-in dialog created
// modeless with the program's own procedure, on the in-process base
// (message pump, scratch directory, private registry keys).
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "client/core/auto_sign.h"
#include "client/shell/client_program.h"
#include "client/shell/session_window.h"
#include "client/core/layered_settings_store.h"
#include "client/shell/tray_icon.h"

#include "common/settings_store.h"
#include "common/settings_store_win32.h"
#include "tests/kit/doubles/recording_alerts.h"
#include "tests/kit/doubles/fixed_clock.h"
#include "tests/kit/doubles/recording_end_session_reason.h"
#include "tests/kit/doubles/scripted_session_probe.h"
#include "tests/kit/doubles/scripted_tray.h"
#include "tests/wine/in_process_test.h"

// The member's values as they are in the (redirected) registry.
SettingsStore &MemberKey();
// Deletes the client's key, the machine's and the member's.
void DeleteClientKey();

std::string DialogText(HWND dialog, int control);

// A fresh client program for each test, its state and settings empty (the
// registry's keys are the test's own); its request and Windows Sockets end
// with the test.
class ClientTest : public InProcessTest {
  protected:
    void TearDown() override;

    // Creates the sign-in dialog (modeless) with the program's procedure.
    HWND OpenSignInDialog();
    void CloseSignInDialog();
    // Creates one of the other dialogs (modeless) with the program.
    HWND OpenDialog(int id, DLGPROC procedure, HWND owner = nullptr);

    RecordingAlerts recorder;
    FixedClock clock{ClockTime{9, 7, 0}};
    ScriptedTray tray_shell;
    RecordingEndSessionReason reason;
    ScriptedSessionProbe session;
    LayeredSettingsStore store{MemberKey(), kClientStore, recorder};
    ClientProgram program{
        GetModuleHandleA(nullptr), clock, store, recorder, tray_shell, reason, session};
};
