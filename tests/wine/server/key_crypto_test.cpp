// The key hash on the system's cryptography (bcrypt.dll) gives what the
// standard says and what the portable derivation gives, so that a hash
// made by the service checks in the tests' derivation and back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/key_crypto_win32.h"
#include "common/key_hash.h"
#include "tests/kit/doubles/fixed_key_crypto.h"

namespace {

std::string Hex(const uint8_t *bytes, size_t size) {
    std::string text;
    char pair[3];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

} // namespace

TEST(SystemKeyCrypto, DerivesTheStandardVectorAndMatchesThePortableHash) {
    SystemKeyCrypto system;
    uint8_t out[64];
    const uint8_t salt[] = {'N', 'a', 'C', 'l'};
    ASSERT_TRUE(system.DeriveSha256("Password", salt, sizeof salt, 80000, out, sizeof out));
    EXPECT_EQ(Hex(out, sizeof out),
              "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
              "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d");

    uint8_t first[16], second[16];
    ASSERT_TRUE(system.Random(first, sizeof first));
    ASSERT_TRUE(system.Random(second, sizeof second));
    EXPECT_NE(Hex(first, sizeof first), Hex(second, sizeof second));

    FixedKeyCrypto portable;
    std::string made = MakeKeyHash(system, "front desk key");
    EXPECT_EQ(made.compare(0, 20, "pbkdf2-sha256$20000$"), 0) << made;
    EXPECT_TRUE(KeyMatchesHash(portable, "front desk key", made));
    EXPECT_FALSE(KeyMatchesHash(system, "front desk kez", made));
    EXPECT_TRUE(KeyMatchesHash(system, "front desk key", MakeKeyHash(portable, "front desk key")));
}
