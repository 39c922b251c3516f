// The administration's lockout as a test sets it: the seconds an address
// is locked (the same for all), and the addresses of wrong keys, in order.
#pragma once
#include <string>
#include <vector>

#include "server/admin/admin_api.h"

class ScriptedKeyGate : public KeyGate {
  public:
    int Locked(const std::string &) override { return locked; }
    void Wrong(const std::string &peer) override { wrong.push_back(peer); }
    int locked = 0;
    std::vector<std::string> wrong;
};
