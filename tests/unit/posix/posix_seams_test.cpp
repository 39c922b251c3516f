// The native platform seams: the board's claim and the code page.
#include <gtest/gtest.h>

#include <string>

#include "common/ansi_text.h"
#include "common/code_page.h"
#include "common/code_page_posix.h"
#include "common/key_crypto_posix.h"
#include "common/key_hash.h"
#include "server/posix/board_claim_lock.h"
#include "tests/kit/scratch_dir.h"

namespace {

TEST(BoardClaimLock, ASecondClaimOfOneFolderIsRefusedAndAnotherFolderIsFree) {
    ScratchDir one, two;
    EXPECT_TRUE(ClaimBoardByLock(one.path().c_str()));
    // Each claim opens the lock file anew, so a second claim in the same
    // process meets the first as another server's would.
    EXPECT_FALSE(ClaimBoardByLock(one.path().c_str()));
    EXPECT_TRUE(ClaimBoardByLock(two.path().c_str()));
}

TEST(CodePage, TheConfiguredCodePageConvertsThroughIconv) {
    EXPECT_TRUE(CodePageUsable(1251));
    EXPECT_TRUE(CodePageUsable(65001));
    EXPECT_FALSE(CodePageUsable(4242));
    UseCodePage(1251);
    EXPECT_EQ(ActiveCodePage(), 1251u);
    std::string utf8;
    // "Юля" in code page 1251, and 0x98, which it leaves undefined.
    AppendUtf8FromAnsi(utf8, "\xDE\xEB\xFF \x98", ActiveCodePage());
    EXPECT_EQ(utf8, "\xD0\xAE\xD0\xBB\xD1\x8F \xEF\xBF\xBD");
    UseCodePage(1252);
}

TEST(SystemKeyCrypto, HashesMadeWithTheKernelsSaltsDifferAndMatchTheirKeyOnly) {
    SystemKeyCrypto crypto;
    std::string one = MakeKeyHash(crypto, "office key", 2);
    std::string two = MakeKeyHash(crypto, "office key", 2);
    ASSERT_TRUE(IsKeyHash(one)) << one;
    EXPECT_NE(one, two);
    EXPECT_TRUE(KeyMatchesHash(crypto, "office key", two));
    EXPECT_FALSE(KeyMatchesHash(crypto, "office kez", one));
}

} // namespace
