#include "server/web/key_lockout.h"

#include <gtest/gtest.h>

#include <string>

TEST(KeyLockout, FiveWrongWithinAMinuteLockForAMinuteAndSayItOnce) {
    KeyLockout lockout;
    // Five wrong keys spread over more than a minute do not lock.
    std::uint64_t now = 5000;
    for (int i = 0; i < 8; ++i, now += 15000) EXPECT_FALSE(lockout.CountWrong("10.0.0.5", now));
    EXPECT_EQ(0u, lockout.SecondsLocked("10.0.0.5", now));
    // Five within a minute do, for a minute, and are reported.
    for (int i = 0; i < 4; ++i, now += 1000) EXPECT_FALSE(lockout.CountWrong("10.0.0.6", now));
    EXPECT_TRUE(lockout.CountWrong("10.0.0.6", now));
    EXPECT_EQ(60u, lockout.SecondsLocked("10.0.0.6", now));
    EXPECT_EQ(1u, lockout.SecondsLocked("10.0.0.6", now + kLockoutMs - 1));
    EXPECT_EQ(0u, lockout.SecondsLocked("10.0.0.6", now + kLockoutMs));
    EXPECT_EQ(0u, lockout.SecondsLocked("10.0.0.7", now));
    // A second lockout of the same address is not reported again.
    now += kLockoutMs;
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(lockout.CountWrong("10.0.0.6", now));
    EXPECT_FALSE(lockout.CountWrong("10.0.0.6", now));
    EXPECT_GT(lockout.SecondsLocked("10.0.0.6", now), 0u);
    EXPECT_EQ("Web: wrong keys from 10.0.0.6", LockoutNotice("10.0.0.6"));
}

TEST(KeyLockout, AStrangerCyclingAddressesNeitherGrowsTheTableNorFreesALockedOne) {
    KeyLockout lockout;
    std::uint64_t now = 1000;
    for (int i = 0; i < kWrongKeysAllowed; ++i) lockout.CountWrong("192.168.1.50", now);
    ASSERT_GT(lockout.SecondsLocked("192.168.1.50", now), 0u);
    for (int i = 0; i < 20000; ++i)
        lockout.CountWrong("10." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ".1",
                           now + i);
    EXPECT_LE(lockout.Remembered(), kLockoutAddresses);
    EXPECT_GT(lockout.SecondsLocked("192.168.1.50", now + 20000), 0u);
}

TEST(SameKey, EqualOnlyWhenEveryByteAndTheLengthAgree) {
    EXPECT_TRUE(SameKey("", ""));
    EXPECT_TRUE(SameKey("s3cret", "s3cret"));
    EXPECT_FALSE(SameKey("a", ""));
    EXPECT_FALSE(SameKey("s3cre", "s3cret"));
    EXPECT_FALSE(SameKey("s3cret!", "s3cret"));
    EXPECT_FALSE(SameKey("S3cret", "s3cret"));
    EXPECT_FALSE(SameKey(std::string("s3\0ret", 6), "s3cret"));
}
