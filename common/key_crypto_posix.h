// The key hash's randomness and derivation natively: the kernel's random
// bytes (getrandom) and the portable PBKDF2. Native only.
#pragma once
#include "common/key_hash.h"

class SystemKeyCrypto : public KeyCrypto {
  public:
    bool Random(uint8_t *out, size_t size) override;
    bool DeriveSha256(const std::string &key, const uint8_t *salt, size_t salt_size,
                      uint32_t iterations, uint8_t *out, size_t out_size) override;
};
