#include "common/stored_key.h"

#include <string>

#include "common/fixed_text.h"
#include "common/key_hash.h"
#include "common/settings_store.h"

namespace {

std::string HashName(const char *name) { return std::string(name) + "Hash"; }

} // namespace

StoredKeyOutcome LoadStoredKey(SettingsStore &store, KeyCrypto &crypto, const char *name,
                               char *hash, size_t capacity) {
    char plain[kKeyHashTextMax + 1] = "";
    CopyCut(hash, capacity, "");
    ReadSetting(store, HashName(name).c_str(), hash, capacity);
    ReadSetting(store, name, plain, sizeof plain);
    if (plain[0] == '\0') return StoredKeyOutcome::Kept;
    std::string made = MakeKeyHash(crypto, plain);
    if (made.empty()) return StoredKeyOutcome::Failed;
    CopyCut(hash, capacity, made.c_str());
    // The plain value goes only once its hash is stored.
    if (!WriteSetting(store, HashName(name).c_str(), made.c_str()) || !store.Remove(name))
        return StoredKeyOutcome::NotStored;
    return StoredKeyOutcome::Hashed;
}

bool StoreKey(SettingsStore &store, KeyCrypto &crypto, const char *name, const char *key,
              char *hash, size_t capacity) {
    std::string made;
    if (key[0] != '\0') {
        made = MakeKeyHash(crypto, key);
        if (made.empty()) return false;
    }
    if (!WriteSetting(store, HashName(name).c_str(), made.c_str())) return false;
    CopyCut(hash, capacity, made.c_str());
    return store.Remove(name);
}
