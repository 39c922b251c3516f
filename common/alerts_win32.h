// The alerts of both Windows programs: task-modal message boxes with no
// owner window.
#pragma once
#include "common/alerts.h"

class MessageBoxAlerts : public Alerts {
  public:
    AlertAnswer Ask(const char *text, const char *caption, AlertIcon icon,
                    AlertButtons buttons) override;
};
