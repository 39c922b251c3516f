// The settings store on the registry: string values under one key below a
// root key.
#include "common/settings_store_win32.h"

#include <cstring>

#include "common/fixed_text.h"

RegistrySettingsStore kClientStore(HKEY_LOCAL_MACHINE, "SOFTWARE\\KVT\\Wenlo");

namespace {
// What one query may return: the longest value the programs store (1019
// characters) and its NUL. A longer value cannot be returned and reads as
// missing.
constexpr DWORD kQueryBytes = 1020;
} // namespace

bool RegistrySettingsStore::Read(const char *name, char *dest, size_t capacity) {
    HKEY key;
    if (RegOpenKeyExA(root_, key_path_, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;

    // One byte more than the query may fill, so that the text always ends.
    char buffer[kQueryBytes + 1];
    CopyCut(buffer, sizeof buffer, key_path_);
    DWORD type = REG_NONE;
    DWORD size = kQueryBytes;
    LONG result =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);

    bool is_text = result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ);
    if (!is_text) {
        CopyCut(dest, capacity, "");
        return true;
    }
    // A value stored without its NUL ends where its bytes end.
    buffer[size <= kQueryBytes ? size : kQueryBytes] = '\0';
    // The key path itself, left in place, also marks a missing value.
    if (std::strcmp(buffer, key_path_) == 0)
        CopyCut(dest, capacity, "");
    else
        CopyCut(dest, capacity, buffer);
    return true;
}

bool RegistrySettingsStore::Write(const char *name, const char *text) {
    HKEY key;
    char no_class[] = "";
    if (RegCreateKeyExA(root_, key_path_, 0, no_class, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                                 static_cast<DWORD>(std::strlen(text) + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RegistrySettingsStore::Remove(const char *name) {
    HKEY key;
    LONG opened = RegOpenKeyExA(root_, key_path_, 0, KEY_SET_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    LONG result = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
