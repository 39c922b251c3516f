// A settings store in memory. Like a registry key, it does not exist until
// the first value is written: reads then return false and leave the destination
// alone. With writes_fail set, every write fails and stores nothing.
#pragma once
#include <map>
#include <string>

#include "common/fixed_text.h"
#include "common/settings_store.h"

class MemorySettingsStore : public SettingsStore {
  public:
    bool Read(const char *name, char *dest, size_t capacity) override {
        if (!exists) return false;
        auto found = values.find(name);
        CopyCut(dest, capacity, found == values.end() ? "" : found->second.c_str());
        return true;
    }
    bool Write(const char *name, const char *text) override {
        if (writes_fail) return false;
        exists = true;
        values[name] = text;
        return true;
    }
    bool Remove(const char *name) override {
        if (writes_fail) return false;
        values.erase(name);
        return true;
    }

    bool exists = false;
    bool writes_fail = false;
    std::map<std::string, std::string> values;
};
