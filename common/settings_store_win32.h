// The settings store on the registry: string values (REG_SZ) under one key
// below a root key.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "common/settings_store.h"

class RegistrySettingsStore : public SettingsStore {
  public:
    RegistrySettingsStore(HKEY root, const char *key_path) : root_(root), key_path_(key_path) {}

    // Besides a missing value, one that is not a string, one longer than
    // the longest value the programs store (1019 characters), or one that
    // holds exactly the key path reads as "".
    bool Read(const char *name, char *dest, size_t capacity) override;
    // Stores text as REG_SZ (NUL counted).
    bool Write(const char *name, const char *text) override;
    bool Remove(const char *name) override;

    HKEY root() const { return root_; }
    const char *key_path() const { return key_path_; }

  private:
    HKEY root_;
    const char *key_path_; // also the marker text that reads as a missing value
};

// The server's key below HKEY_LOCAL_MACHINE; the server's entry point makes
// its store on it.
constexpr char kServerKeyPath[] = "SOFTWARE\\KVT\\Tesmar";

// The client's machine-wide store, below HKEY_LOCAL_MACHINE.
extern RegistrySettingsStore kClientStore; // "SOFTWARE\\KVT\\Wenlo"
