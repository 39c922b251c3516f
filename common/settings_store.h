// The settings store: named string values of one program. The programs keep
// them in the registry (settings_store_win32.h); tests keep them in memory.
#pragma once
#include <cstddef>

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // Reads value name into dest (capacity bytes, NUL included). Returns
    // false and leaves dest alone when the store cannot be opened; otherwise
    // returns true with dest holding the value cut to capacity - 1
    // characters, or "" when the value is missing.
    virtual bool Read(const char *name, char *dest, size_t capacity) = 0;
    // Creates the store when needed and stores text. Returns true when the
    // value was stored.
    virtual bool Write(const char *name, const char *text) = 0;
    // Removes value name (a key kept hashed leaves no plain copy behind).
    // True when the value is gone, whether or not it was there.
    virtual bool Remove(const char *name) = 0;
};

inline bool ReadSetting(SettingsStore &store, const char *name, char *dest, size_t capacity) {
    return store.Read(name, dest, capacity);
}

inline bool WriteSetting(SettingsStore &store, const char *name, const char *text) {
    return store.Write(name, text);
}
