#include "common/fixed_text.h"

#include <gtest/gtest.h>

TEST(FixedText, CutsToCapacityAndAlwaysTerminates) {
    char field[5];
    CopyCut(field, "abcdefgh");
    EXPECT_STREQ("abcd", field);
    CopyCut(field, nullptr);
    EXPECT_STREQ("", field);
    CopyCut(field, "ab");
    AppendCut(field, "xyz");
    EXPECT_STREQ("abxy", field);
    AppendCut(field, "q");
    EXPECT_STREQ("abxy", field);
}
