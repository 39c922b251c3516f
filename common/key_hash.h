// Keys kept hashed at rest (the administration key, the browser sign-in's
// key, the marshal's key): a stored key is the text
//
//   pbkdf2-sha256$<iterations>$<salt, hex>$<derived key, hex>
//
// that names the derivation, its iterations, a random 16-byte salt and the
// 32-byte derived key, so that a later version may raise the iterations
// and still read what an earlier one stored. The randomness and the
// derivation are the platform's (KeyCrypto): on Windows the system's
// cryptography (key_crypto_win32.h); tests hand in the portable derivation.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/sha256.h"

class KeyCrypto {
  public:
    virtual ~KeyCrypto() = default;
    // Fills out with size bytes of cryptographic randomness; false when the
    // system has none to give.
    virtual bool Random(uint8_t *out, size_t size) = 0;
    // PBKDF2-HMAC-SHA-256 of key and salt into out (out_size bytes); false
    // when the derivation failed.
    virtual bool DeriveSha256(const std::string &key, const uint8_t *salt, size_t salt_size,
                              uint32_t iterations, uint8_t *out, size_t out_size) = 0;
    // The iterations a new hash is made with (tests make theirs cheap).
    virtual uint32_t NewHashIterations() const;
};

// The iterations a new hash is made with: the server checks keys on its
// one thread, so a derivation must stay well under a second on a slow
// machine (about a tenth of one under Wine here).
constexpr uint32_t kKeyHashIterations = 20000;
// The longest stored hash text (its NUL not counted): the settings field
// that holds one needs one byte more.
constexpr size_t kKeyHashTextMax = 160;

// The stored text for key, with a new random salt, made with iterations
// (0: the crypto's NewHashIterations); "" when the crypto failed (no
// randomness, no derivation) or the key is empty.
std::string MakeKeyHash(KeyCrypto &crypto, const std::string &key, uint32_t iterations = 0);

// Whether stored is a hash text this version reads (its derivation,
// iterations between 1 and 10,000,000, a salt and a 32-byte key in hex).
bool IsKeyHash(const std::string &stored);

// Whether key is the one stored was made from. The derived keys are
// compared in constant time; anything that is not a hash text, and an
// empty key, never matches.
bool KeyMatchesHash(KeyCrypto &crypto, const std::string &key, const std::string &stored);

// Whether two byte strings are equal, in a time that depends on their
// lengths only.
bool SameBytesConstantTime(const uint8_t *a, const uint8_t *b, size_t size);

// A stored key as the server checks it at every request that gives one:
// the derivation runs once for the right key, which is then remembered (as
// its SHA-256, in memory only) and recognised in constant time; every
// other key is derived and compared anew.
class HashedKey {
  public:
    // The stored hash text; "" (or anything that is not a hash) is no key.
    void Set(const std::string &stored);
    // Set, unless stored is the hash held already (what was remembered of
    // it stays): for a holder that follows a setting changed elsewhere.
    void Follow(const std::string &stored) {
        if (stored != stored_) Set(stored);
    }
    const std::string &Stored() const { return stored_; }
    // Whether a key is set at all.
    bool IsSet() const { return IsKeyHash(stored_); }
    bool Matches(KeyCrypto &crypto, const std::string &key);

  private:
    std::string stored_;
    bool remembered_ = false;
    Sha256Digest remembered_digest_ = {};
};
