// The member's session as a test sets it: unlocked and at the machine
// unless told otherwise.
#pragma once
#include "client/core/auto_sign.h"

class ScriptedSessionProbe : public SessionProbe {
  public:
    bool Locked() override { return locked; }
    bool Remote() override { return remote; }

    bool locked = false, remote = false;
};
