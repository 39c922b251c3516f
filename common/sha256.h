// SHA-256 and HMAC-SHA-256 over bytes in memory, and base64 for writing a
// digest into a header (the page's script and style hashes) or a stored
// key. Portable and self-contained: no platform, no allocation beyond the
// returned strings.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

// Incremental SHA-256: Add any number of pieces, then Finish once.
class Sha256 {
  public:
    Sha256();
    void Add(const void *data, size_t size);
    Sha256Digest Finish();

  private:
    void Block(const uint8_t *block);
    uint32_t state_[8];
    uint8_t buffer_[64];
    size_t buffered_ = 0;
    uint64_t total_ = 0;
};

Sha256Digest Sha256Of(const void *data, size_t size);
Sha256Digest Sha256Of(const std::string &text);

// HMAC-SHA-256 of message under key (any length; a key longer than a block
// is hashed first).
Sha256Digest HmacSha256(const void *key, size_t key_size, const void *message, size_t message_size);

// Standard base64 (RFC 4648 alphabet, with "=" padding).
std::string Base64(const void *data, size_t size);
std::string Base64(const Sha256Digest &digest);

// Lower-case hex, two characters a byte.
std::string Hex(const Sha256Digest &digest);
