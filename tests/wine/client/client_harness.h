// What the in-process client tests share: a recorder in place of the
// message boxes, a fixed clock, the sign-in dialog created modeless with
// the program's own procedure, on the in-process base (message pump,
// scratch directory, private registry keys).
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "client/auto_sign.h"
#include "client/end_of_session.h"
#include "client/tray_icon.h"

#include "common/settings_store.h"
#include "tests/kit/doubles/alerts_recorder.h"
#include "tests/kit/doubles/fixed_clock.h"
#include "tests/wine/in_process_test.h"

// The notification area as a test scripts it: every message is kept and
// answered from the script, true once the script is used up.
class ScriptedTray : public TrayShell {
  public:
    struct Call {
        DWORD message;
        std::string tip;
        bool icon; // an icon handle came with it
    };
    std::vector<Call> calls;
    std::deque<bool> answers;
    // When set, answers by the message instead of the script.
    std::function<bool(DWORD)> answer_of;
    bool Notify(DWORD message, NOTIFYICONDATAA &data) override {
        calls.push_back({message, data.szTip, data.hIcon != nullptr});
        if (answer_of) return answer_of(message);
        if (answers.empty()) return true;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The end-session reason as a test sees it: "create" and "destroy" in order.
class RecordedReason : public EndSessionReason {
  public:
    std::vector<std::string> calls;
    std::wstring text;
    bool Create(HWND, const wchar_t *reason) override {
        calls.push_back("create");
        text = reason;
        return true;
    }
    bool Destroy(HWND) override {
        calls.push_back("destroy");
        return true;
    }
};

// The session as a test sets it: unlocked and at the machine unless told.
class ScriptedSession : public SessionProbe {
  public:
    bool locked = false, remote = false;
    bool Locked() override { return locked; }
    bool Remote() override { return remote; }
};

extern AlertsRecorder g_recorder;
extern RecordedReason g_reason;
extern ScriptedTray g_tray_shell;
extern FixedClock g_fixed_clock;
extern ScriptedSession g_session;

// Puts the recorder, the clock, the scripted tray, the reason and the
// session in place, empties the client's
// state and settings in memory (not in the registry).
void ResetClient();

// Creates the sign-in dialog (modeless) with the program's procedure.
HWND OpenSignInDialog();
void CloseSignInDialog();

std::string DialogText(HWND dialog, int control);

// The member's values as they are in the (redirected) registry.
SettingsStore &MemberKey();
// Deletes the client's key, the machine's and the member's.
void DeleteClientKey();
