#include "common/sha256.h"

#include <gtest/gtest.h>

#include <string>

TEST(Sha256, StandardVectorsWholeAndInPieces) {
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
              Hex(Sha256Of("")));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
              Hex(Sha256Of("abc")));
    // 56 bytes: the length no longer fits the first block's padding.
    const std::string two_blocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              Hex(Sha256Of(two_blocks)));
    // A million "a" given in uneven pieces that straddle the blocks.
    Sha256 hash;
    const std::string piece(997, 'a');
    size_t left = 1000000;
    while (left > 0) {
        size_t take = left < piece.size() ? left : piece.size();
        hash.Add(piece.data(), take);
        left -= take;
    }
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
              Hex(hash.Finish()));
}

TEST(Sha256, HmacVectorsShortAndLongerThanABlockKey) {
    const std::string key1(20, '\x0b'), data1 = "Hi There";
    EXPECT_EQ("b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7",
              Hex(HmacSha256(key1.data(), key1.size(), data1.data(), data1.size())));
    const std::string key2 = "Jefe", data2 = "what do ya want for nothing?";
    EXPECT_EQ("5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843",
              Hex(HmacSha256(key2.data(), key2.size(), data2.data(), data2.size())));
    const std::string key3(131, '\xaa');
    const std::string data3 = "Test Using Larger Than Block-Size Key - Hash Key First";
    EXPECT_EQ("60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54",
              Hex(HmacSha256(key3.data(), key3.size(), data3.data(), data3.size())));
}

TEST(Base64, PadsEachRemainder) {
    EXPECT_EQ("", Base64("", 0));
    EXPECT_EQ("Zg==", Base64("f", 1));
    EXPECT_EQ("Zm8=", Base64("fo", 2));
    EXPECT_EQ("Zm9v", Base64("foo", 3));
    EXPECT_EQ("Zm9vYmFy", Base64("foobar", 6));
    EXPECT_EQ("47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=", Base64(Sha256Of("")));
}
