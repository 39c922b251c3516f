#include "common/key_crypto_win32.h"

#include <winsock2.h>
#include <windows.h>

#include <bcrypt.h>

namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

} // namespace

bool SystemKeyCrypto::Random(uint8_t *out, size_t size) {
    return Succeeded(
        BCryptGenRandom(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool SystemKeyCrypto::DeriveSha256(const std::string &key, const uint8_t *salt, size_t salt_size,
                                   uint32_t iterations, uint8_t *out, size_t out_size) {
    BCRYPT_ALG_HANDLE hmac = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&hmac, BCRYPT_SHA256_ALGORITHM, nullptr,
                                               BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        return false;
    NTSTATUS status = BCryptDeriveKeyPBKDF2(
        hmac, reinterpret_cast<PUCHAR>(const_cast<char *>(key.data())),
        static_cast<ULONG>(key.size()), const_cast<PUCHAR>(salt), static_cast<ULONG>(salt_size),
        iterations, out, static_cast<ULONG>(out_size), 0);
    BCryptCloseAlgorithmProvider(hmac, 0);
    return Succeeded(status);
}
