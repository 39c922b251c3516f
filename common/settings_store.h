// The settings store: string values under one registry key per program,
// below HKEY_LOCAL_MACHINE. Windows only.
#pragma once
#include <cstddef>

struct SettingsStore {
    const char *key_path; // also the marker text that reads as a missing value
};

extern const SettingsStore kServerStore; // "SOFTWARE\\KVT\\Tesmar"
extern const SettingsStore kClientStore; // "SOFTWARE\\KVT\\Wenlo"

// Reads value name into dest (capacity bytes, NUL included). Returns 0 and
// leaves dest alone when the key cannot be opened; otherwise returns 1 with
// dest holding the value cut to capacity - 1 characters, or "" when the
// value is missing, not a string, or holds exactly the key path.
int ReadSetting(const SettingsStore &store, const char *name, char *dest, size_t capacity);

// Creates or opens the key and stores text as REG_SZ (NUL counted).
// Returns 1 when the value was stored, 0 otherwise.
int WriteSetting(const SettingsStore &store, const char *name, const char *text);
