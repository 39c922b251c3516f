#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/key_hash.h"
#include "common/pbkdf2.h"
#include "common/stored_key.h"
#include "tests/kit/doubles/fixed_key_crypto.h"
#include "tests/kit/doubles/memory_settings_store.h"

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

std::string Derive(const std::string &password, const std::string &salt, uint32_t iterations,
                   size_t size = 64) {
    uint8_t out[64];
    Pbkdf2Sha256(password.data(), password.size(), reinterpret_cast<const uint8_t *>(salt.data()),
                 salt.size(), iterations, out, size);
    return Hex(out, size);
}

} // namespace

// RFC 7914's one-iteration PBKDF2-HMAC-SHA256 vector (two output blocks),
// and the widely published 4096-iteration one with a part block (its
// 80,000-iteration vector is checked against the system's derivation under
// Wine: natively it takes too long with the sanitizers).
TEST(Pbkdf2, GivesTheStandardVectors) {
    EXPECT_EQ(Derive("passwd", "salt", 1),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
              "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    EXPECT_EQ(Derive("password", "salt", 4096, 40),
              "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"
              "f7ad98c1b458ce3f");
}

// The text records everything the check needs: a hash made with other
// iterations still checks, and each hash has its own salt.
TEST(KeyHash, MatchesOnlyTheKeyItWasMadeFrom) {
    FixedKeyCrypto crypto;
    std::string stored = MakeKeyHash(crypto, "front desk 7", 3);
    EXPECT_EQ(stored.compare(0, 16, "pbkdf2-sha256$3$"), 0) << stored;
    EXPECT_TRUE(IsKeyHash(stored));
    EXPECT_LE(stored.size(), kKeyHashTextMax);
    EXPECT_TRUE(KeyMatchesHash(crypto, "front desk 7", stored));
    EXPECT_FALSE(KeyMatchesHash(crypto, "front desk 8", stored));
    EXPECT_FALSE(KeyMatchesHash(crypto, "front desk", stored));
    EXPECT_FALSE(KeyMatchesHash(crypto, "", stored));
    std::string again = MakeKeyHash(crypto, "front desk 7", 3);
    EXPECT_NE(again, stored);
    EXPECT_TRUE(KeyMatchesHash(crypto, "front desk 7", again));
}

// A stored text that is not a whole hash (a plain key left in its place, a
// cut or edited one, absurd iterations) matches nothing, not even itself;
// a crypto that fails makes no hash.
TEST(KeyHash, RefusesWhatIsNotAHashAndFailedCrypto) {
    FixedKeyCrypto crypto;
    std::string stored = MakeKeyHash(crypto, "k", 2);
    std::string salt_and_key = stored.substr(std::strlen("pbkdf2-sha256$2$"));
    for (const std::string &bad :
         {std::string("k"), std::string(""), stored.substr(0, stored.size() - 2), stored + "00",
          "pbkdf2-sha256$0$" + salt_and_key, "pbkdf2-sha256$99999999$" + salt_and_key,
          "pbkdf2-sha1$2$" + salt_and_key,
          "pbkdf2-sha256$2$" + salt_and_key.substr(0, 32) + "$zz" + salt_and_key.substr(35)}) {
        EXPECT_FALSE(IsKeyHash(bad)) << bad;
        EXPECT_FALSE(KeyMatchesHash(crypto, bad, bad)) << bad;
        EXPECT_FALSE(KeyMatchesHash(crypto, "k", bad)) << bad;
    }
    crypto.random_fails = true;
    EXPECT_EQ(MakeKeyHash(crypto, "k", 2), "");
    crypto.random_fails = false;
    crypto.derive_fails = true;
    EXPECT_EQ(MakeKeyHash(crypto, "k", 2), "");
    EXPECT_FALSE(KeyMatchesHash(crypto, "k", stored));
}

// A plain key found in the store becomes its hash and leaves the store;
// where the store refuses, the hash holds for the run and the plain value
// stays until a start that can store it.
TEST(StoredKey, PlainKeyIsReplacedByItsHash) {
    FixedKeyCrypto crypto;
    MemorySettingsStore store;
    store.Write("AdminKey", "open sesame");
    char hash[kKeyHashTextMax + 1];
    EXPECT_EQ(LoadStoredKey(store, crypto, "AdminKey", hash, sizeof hash),
              StoredKeyOutcome::Hashed);
    EXPECT_EQ(store.values.count("AdminKey"), 0u);
    EXPECT_EQ(store.values["AdminKeyHash"], hash);
    EXPECT_TRUE(KeyMatchesHash(crypto, "open sesame", hash));
    // The next start reads the hash as it is.
    std::string first = hash;
    EXPECT_EQ(LoadStoredKey(store, crypto, "AdminKey", hash, sizeof hash), StoredKeyOutcome::Kept);
    EXPECT_EQ(first, hash);

    MemorySettingsStore refusing;
    refusing.Write("WebKey", "plain one");
    refusing.writes_fail = true;
    EXPECT_EQ(LoadStoredKey(refusing, crypto, "WebKey", hash, sizeof hash),
              StoredKeyOutcome::NotStored);
    EXPECT_TRUE(KeyMatchesHash(crypto, "plain one", hash));
    EXPECT_EQ(refusing.values["WebKey"], "plain one");

    crypto.random_fails = true;
    EXPECT_EQ(LoadStoredKey(refusing, crypto, "WebKey", hash, sizeof hash),
              StoredKeyOutcome::Failed);
    EXPECT_STREQ(hash, "");
}

// Setting a key stores only its hash; an empty key turns it off.
TEST(StoredKey, StoreKeyKeepsOnlyTheHash) {
    FixedKeyCrypto crypto;
    MemorySettingsStore store;
    store.Write("AdminKey", "left by hand");
    char hash[kKeyHashTextMax + 1];
    ASSERT_TRUE(StoreKey(store, crypto, "AdminKey", "new key 123", hash, sizeof hash));
    EXPECT_EQ(store.values.count("AdminKey"), 0u);
    EXPECT_EQ(store.values["AdminKeyHash"], hash);
    EXPECT_TRUE(KeyMatchesHash(crypto, "new key 123", hash));
    ASSERT_TRUE(StoreKey(store, crypto, "AdminKey", "", hash, sizeof hash));
    EXPECT_STREQ(hash, "");
    EXPECT_EQ(store.values["AdminKeyHash"], "");

    std::string before = store.values["AdminKeyHash"];
    crypto.derive_fails = true;
    EXPECT_FALSE(StoreKey(store, crypto, "AdminKey", "another", hash, sizeof hash));
    EXPECT_EQ(store.values["AdminKeyHash"], before);
}

// The right key is derived once and then recognised; a wrong one is derived
// every time; a new stored hash forgets the key remembered for the old.
TEST(HashedKey, DerivesTheRightKeyOnce) {
    FixedKeyCrypto crypto;
    HashedKey key;
    EXPECT_FALSE(key.IsSet());
    EXPECT_FALSE(key.Matches(crypto, "anything"));
    key.Set(MakeKeyHash(crypto, "right one", 2));
    EXPECT_TRUE(key.IsSet());
    crypto.derivations = 0;
    EXPECT_TRUE(key.Matches(crypto, "right one"));
    EXPECT_TRUE(key.Matches(crypto, "right one"));
    EXPECT_EQ(crypto.derivations, 1);
    EXPECT_FALSE(key.Matches(crypto, "wrong one"));
    EXPECT_FALSE(key.Matches(crypto, "wrong one"));
    EXPECT_EQ(crypto.derivations, 3);
    key.Set(MakeKeyHash(crypto, "next one", 2));
    EXPECT_FALSE(key.Matches(crypto, "right one"));
    EXPECT_TRUE(key.Matches(crypto, "next one"));
}
