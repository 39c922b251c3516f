// The client's settings in two layers: the member's own values over the
// machine-wide ones that an administrator or an installer deployed. A value
// is read from the member's layer first and from the machine's second; an
// empty value counts as missing. A write goes to the member's layer only
// when it differs from the machine's value (a value set back to the
// machine's takes the member's own away), so that a member who changes
// nothing follows a redeployment. A member who empties a value the machine
// sets keeps it empty: their layer then holds the cleared marker, which
// reads as "" with no falling back. A write that fails is told once.
// Portable: the two layers and the alerts are handed in.
#pragma once
#include <cstddef>

#include "common/settings_store.h"

class Alerts;

extern const char kSettingsNotSaved[];
// What the member's layer holds for a value they emptied (a control
// character: no edit field of the client lets it be typed).
extern const char kClearedValue[];

class LayeredSettingsStore : public SettingsStore {
  public:
    LayeredSettingsStore(SettingsStore &member, SettingsStore &machine, Alerts &alerts)
        : member_(member), machine_(machine), alerts_(alerts) {}

    // Returns false and leaves dest alone when neither layer can be opened;
    // otherwise true, with dest "" when neither holds a non-empty value or the
    // member's holds the cleared marker.
    bool Read(const char *name, char *dest, size_t capacity) override;
    // Returns true when the member's layer holds what was asked (written, or
    // taken away because the machine's value is the same).
    bool Write(const char *name, const char *text) override;
    // Removes the member's own value (the machine's is the installer's).
    bool Remove(const char *name) override { return member_.Remove(name); }

  private:
    SettingsStore &member_;
    SettingsStore &machine_;
    Alerts &alerts_;
    bool failure_told_ = false;
};
