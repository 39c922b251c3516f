// Keeps what the roll call's desk said on the status line and the roll
// calls it told of.
#pragma once
#include <string>
#include <vector>

#include "server/rollcall/roll_call_desk.h"

class RecordingRollCallListener : public RollCallListener {
  public:
    std::vector<std::string> said;
    std::vector<RollCall> changes;

    void Say(const char *text) override { said.push_back(text); }
    void Changed(const RollCall &roll) override { changes.push_back(roll); }
};
