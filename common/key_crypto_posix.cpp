#include "common/key_crypto_posix.h"

#include <sys/random.h>

#include <cerrno>

#include "common/pbkdf2.h"

bool SystemKeyCrypto::Random(uint8_t *out, size_t size) {
    while (size > 0) {
        ssize_t got = getrandom(out, size, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool SystemKeyCrypto::DeriveSha256(const std::string &key, const uint8_t *salt, size_t salt_size,
                                   uint32_t iterations, uint8_t *out, size_t out_size) {
    if (iterations == 0) return false;
    Pbkdf2Sha256(key.data(), key.size(), salt, salt_size, iterations, out, out_size);
    return true;
}
