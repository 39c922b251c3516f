#include "common/pbkdf2.h"

#include <cstring>
#include <vector>

#include "common/sha256.h"

void Pbkdf2Sha256(const void *password, size_t password_size, const uint8_t *salt, size_t salt_size,
                  uint32_t iterations, uint8_t *out, size_t out_size) {
    std::vector<uint8_t> first(salt, salt + salt_size);
    first.resize(salt_size + 4);
    for (uint32_t block = 1; out_size > 0; ++block) {
        // U1 = HMAC(password, salt || INT(block)), Ui = HMAC(password, Ui-1),
        // the block is U1 ^ U2 ^ ... ^ Uc.
        first[salt_size] = static_cast<uint8_t>(block >> 24);
        first[salt_size + 1] = static_cast<uint8_t>(block >> 16);
        first[salt_size + 2] = static_cast<uint8_t>(block >> 8);
        first[salt_size + 3] = static_cast<uint8_t>(block);
        Sha256Digest u = HmacSha256(password, password_size, first.data(), first.size());
        Sha256Digest sum = u;
        for (uint32_t i = 1; i < iterations; ++i) {
            u = HmacSha256(password, password_size, u.data(), u.size());
            for (size_t j = 0; j < sum.size(); ++j) sum[j] ^= u[j];
        }
        size_t take = out_size < sum.size() ? out_size : sum.size();
        std::memcpy(out, sum.data(), take);
        out += take;
        out_size -= take;
    }
}
