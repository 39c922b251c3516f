// The notification area as a test scripts it: every message is kept and
// answered from the script, true once the script is used up. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "client/shell/tray_icon.h"

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
