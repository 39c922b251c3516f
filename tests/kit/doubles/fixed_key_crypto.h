// The key hash's crypto with the portable derivation and made-up salts:
// each Random call gives the next bytes of a counter, so that two hashes
// of one key differ as real salts would. New hashes take 3 iterations. With random_fails or
// derive_fails set, that half fails.
#pragma once
#include <cstdint>
#include <string>

#include "common/key_hash.h"
#include "common/pbkdf2.h"

class FixedKeyCrypto : public KeyCrypto {
  public:
    bool Random(uint8_t *out, size_t size) override {
        if (random_fails) return false;
        for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(next_++);
        return true;
    }
    bool DeriveSha256(const std::string &key, const uint8_t *salt, size_t salt_size,
                      uint32_t iterations, uint8_t *out, size_t out_size) override {
        if (derive_fails) return false;
        ++derivations;
        Pbkdf2Sha256(key.data(), key.size(), salt, salt_size, iterations, out, out_size);
        return true;
    }

    uint32_t NewHashIterations() const override { return 3; }

    bool random_fails = false;
    bool derive_fails = false;
    int derivations = 0;

  private:
    uint8_t next_ = 1;
};
