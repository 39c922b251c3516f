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
};

class AlertsRecorder : public Alerts {
  public:
    std::vector<AskedAlert> asked;
    std::deque<AlertAnswer> answers; // Ok when the script runs out
    std::function<void()> while_asking; // runs inside each question

    AlertAnswer Ask(const char *text, const char *caption, AlertIcon icon,
                    AlertButtons buttons) override {
        asked.push_back({text ? text : "", caption ? caption : "(none)", icon, buttons});
        if (while_asking) while_asking();
        if (answers.empty()) return AlertAnswer::Ok;
        AlertAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
