// The roll call's keys as a test sets them: one key, compared as given
// (empty: none set).
#pragma once
#include <string>

#include "server/web/web_roll_call.h"

class ScriptedRollCallKeys : public RollCallKeys {
  public:
    bool AnySet() override { return !key.empty(); }
    bool Matches(const std::string &given) override { return !key.empty() && given == key; }
    std::string key = "marshal-key";
};
