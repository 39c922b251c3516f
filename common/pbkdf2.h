// PBKDF2 with HMAC-SHA-256 (RFC 8018) over bytes in memory: the portable
// derivation that key_hash's tests and the native builds use. The Windows
// program derives with the system's cryptography instead (key_crypto_win32).
#pragma once
#include <cstddef>
#include <cstdint>

// Fills out (out_size bytes) with the key derived from password and salt
// after the given number of iterations (at least 1).
void Pbkdf2Sha256(const void *password, size_t password_size, const uint8_t *salt, size_t salt_size,
                  uint32_t iterations, uint8_t *out, size_t out_size);
