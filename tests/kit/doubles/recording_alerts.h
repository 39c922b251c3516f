// Answers the message boxes from a script and keeps what was asked: the
// tests' stand-in for the alerts interface, native and under Wine.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/alerts.h"

struct AskedAlert {
    std::string text;
    std::string caption; // "(none)" when no caption was given
    AlertIcon icon;
    AlertButtons buttons;
    bool to_front = false; // asked to come to the front
};

// An OK box is answered Ok and takes nothing from the script; a Yes/No
// question takes the next scripted answer, or No (as a closed box gives)
// when the script is used up.
class RecordingAlerts : public Alerts {
  public:
    std::vector<AskedAlert> asked;
    std::deque<AlertAnswer> answers;    // for the Yes/No questions, in order
    std::function<void()> while_asking; // runs inside each box

    AlertAnswer Ask(const char *text, const char *caption, AlertIcon icon,
                    AlertButtons buttons) override {
        asked.push_back({text ? text : "", caption ? caption : "(none)", icon, buttons, ToFront()});
        if (while_asking) while_asking();
        if (buttons == AlertButtons::Ok) return AlertAnswer::Ok;
        if (answers.empty()) return AlertAnswer::No;
        AlertAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
