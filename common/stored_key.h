// A key setting kept hashed at rest: the settings store holds <Name>Hash
// (a key_hash text) and never <Name> itself. A plain <Name> found there (an
// installer's property, a hand edit) is hashed into <Name>Hash and removed.
#pragma once
#include <cstddef>

class KeyCrypto;
class SettingsStore;

enum class StoredKeyOutcome {
    Kept,      // no plain value: <Name>Hash (or nothing) as it was
    Hashed,    // the plain value became <Name>Hash and is gone from the store
    NotStored, // hashed, but the store refused the hash or the removal: the
               // hash holds for this run, the plain value is still stored
    Failed     // the crypto failed: no hash could be made
};

// Reads <name> and <name>Hash from store into hash (capacity bytes): the
// stored hash, or the one made from a plain value found (see
// StoredKeyOutcome). hash is "" when there is no key, or none could be made.
StoredKeyOutcome LoadStoredKey(SettingsStore &store, KeyCrypto &crypto, const char *name,
                               char *hash, size_t capacity);

// Stores a new key: its hash as <name>Hash (an empty key stores "": no key)
// and removes any plain <name>. False when the crypto or the store failed;
// hash then holds what the store held before.
bool StoreKey(SettingsStore &store, KeyCrypto &crypto, const char *name, const char *key,
              char *hash, size_t capacity);
