// Alerts nobody sees: an OK box is answered Ok, a Yes/No question No (as a
// closed box gives). For code that is not expected to ask anything.
#pragma once
#include "common/alerts.h"

class NullAlerts : public Alerts {
  public:
    AlertAnswer Ask(const char *, const char *, AlertIcon, AlertButtons buttons) override {
        return buttons == AlertButtons::YesNo ? AlertAnswer::No : AlertAnswer::Ok;
    }
};
