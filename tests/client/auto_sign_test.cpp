// Which request each moment sends under which options, the logon retries
// and the stop after an unknown name.
#include "client/auto_sign.h"

#include <gtest/gtest.h>

namespace {

using M = SessionMoment;
using R = AutoRequest;

TEST(AutoSignerTest, EachMomentSendsWhatItsOptionAsksAndNothingWhenOff) {
    struct Row {
        bool sign_in, sign_out;
        R start, unlock, lock, end;
    } rows[] = {
        {false, false, R::None, R::None, R::None, R::None},
        {true, false, R::SignIn, R::SignIn, R::None, R::None},
        {false, true, R::None, R::None, R::SignOut, R::SignOut},
        {true, true, R::SignIn, R::SignIn, R::SignOut, R::SignOut},
    };
    for (const Row &row : rows) {
        AutoSigner signer;
        signer.SetOptions({row.sign_in, row.sign_out});
        EXPECT_EQ(row.start, signer.At(M::Start)) << row.sign_in << row.sign_out;
        EXPECT_EQ(row.unlock, signer.At(M::Unlock)) << row.sign_in << row.sign_out;
        EXPECT_EQ(row.lock, signer.At(M::Lock)) << row.sign_in << row.sign_out;
        EXPECT_EQ(row.end, signer.At(M::End)) << row.sign_in << row.sign_out;
    }
}

TEST(AutoSignerTest, AFailedLogonSignInIsTriedTenTimesMoreAndOnlyThatOne) {
    AutoSigner signer;
    signer.SetOptions({true, true});
    signer.At(M::Start);
    int retries = 0;
    while (signer.Concluded(AutoVerdict::Unreachable)) {
        ASSERT_EQ(R::SignIn, signer.RetryDue());
        ASSERT_LE(++retries, kLogonRetries);
    }
    EXPECT_EQ(kLogonRetries, retries);
    EXPECT_EQ(R::None, signer.RetryDue());
    // An unlock's failure is not retried, and a new moment ends the retries.
    signer.At(M::Unlock);
    EXPECT_FALSE(signer.Concluded(AutoVerdict::Unreachable));
    signer.At(M::Start);
    signer.At(M::Lock);
    EXPECT_FALSE(signer.Concluded(AutoVerdict::Unreachable));
    EXPECT_EQ(R::None, signer.RetryDue());
}

TEST(AutoSignerTest, AnUnknownNameStopsUntilTheNameOrTheOptionsChange) {
    AutoSigner signer;
    signer.SetOptions({true, true});
    signer.At(M::Start);
    EXPECT_FALSE(signer.Concluded(AutoVerdict::UnknownName));
    EXPECT_EQ(R::None, signer.At(M::Lock));
    EXPECT_EQ(R::None, signer.RetryDue());
    signer.NameChanged();
    EXPECT_EQ(R::SignOut, signer.At(M::Lock));
    signer.Concluded(AutoVerdict::UnknownName);
    signer.SetOptions({true, true});
    EXPECT_EQ(R::SignIn, signer.At(M::Unlock));
}

} // namespace
