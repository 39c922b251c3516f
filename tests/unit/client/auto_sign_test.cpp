// Which request each moment sends under which options and where the member
// stands, the logon retries, the stop after an unknown name, a locked or
// remote start, and a request waiting behind the member's own.
#include "client/core/auto_sign.h"

#include <gtest/gtest.h>

#include "tests/kit/doubles/scripted_session_probe.h"

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
        ScriptedSessionProbe session;
        signer.SetOptions({row.sign_in, row.sign_out});
        signer.Confirmed(true);
        EXPECT_EQ(row.start, signer.At(M::Start, session)) << row.sign_in << row.sign_out;
        EXPECT_EQ(row.unlock, signer.At(M::Unlock, session)) << row.sign_in << row.sign_out;
        EXPECT_EQ(row.lock, signer.At(M::Lock, session)) << row.sign_in << row.sign_out;
        EXPECT_EQ(row.end, signer.At(M::End, session)) << row.sign_in << row.sign_out;
    }
}

TEST(AutoSignerTest, AFailedLogonSignInIsTriedTenTimesMoreAndOnlyThatOne) {
    AutoSigner signer;
    ScriptedSessionProbe session;
    signer.SetOptions({true, true});
    signer.Confirmed(true);
    signer.At(M::Start, session);
    int retries = 0;
    while (signer.Concluded(AutoVerdict::Unreachable)) {
        ASSERT_EQ(R::SignIn, signer.RetryDue());
        ASSERT_LE(++retries, kLogonRetries);
    }
    EXPECT_EQ(kLogonRetries, retries);
    EXPECT_EQ(R::None, signer.RetryDue());
    // An unlock's failure is not retried, and a new moment ends the retries.
    signer.At(M::Unlock, session);
    EXPECT_FALSE(signer.Concluded(AutoVerdict::Unreachable));
    signer.At(M::Start, session);
    signer.At(M::Lock, session);
    EXPECT_FALSE(signer.Concluded(AutoVerdict::Unreachable));
    EXPECT_EQ(R::None, signer.RetryDue());
}

TEST(AutoSignerTest, AnUnknownNameStopsUntilTheNameOrTheOptionsChange) {
    AutoSigner signer;
    ScriptedSessionProbe session;
    signer.SetOptions({true, true});
    signer.Confirmed(true);
    signer.At(M::Start, session);
    EXPECT_FALSE(signer.Concluded(AutoVerdict::UnknownName));
    EXPECT_EQ(R::None, signer.At(M::Lock, session));
    EXPECT_EQ(R::None, signer.RetryDue());
    signer.NameChanged();
    EXPECT_EQ(R::SignOut, signer.At(M::Lock, session));
    signer.Concluded(AutoVerdict::UnknownName);
    signer.SetOptions({true, true});
    EXPECT_EQ(R::SignIn, signer.At(M::Unlock, session));
}

TEST(AutoSignerTest, LockAndEndSignOutOnlyAMemberLastSeenIn) {
    AutoSigner signer;
    ScriptedSessionProbe session;
    signer.SetOptions({true, true});
    EXPECT_EQ(R::None, signer.At(M::Lock, session)); // nothing confirmed yet
    signer.Confirmed(true);
    EXPECT_EQ(R::SignOut, signer.At(M::Lock, session));
    signer.Confirmed(false); // "Out for lunch" by hand
    EXPECT_EQ(R::None, signer.At(M::Lock, session));
    EXPECT_EQ(R::None, signer.At(M::End, session));
}

TEST(AutoSignerTest, ALockedOrRemoteStartSignsInAtTheFirstUnlockAtTheMachine) {
    for (bool locked : {true, false}) {
        AutoSigner signer;
        ScriptedSessionProbe session;
        session.locked = locked;
        session.remote = !locked;
        signer.SetOptions({true, true});
        EXPECT_EQ(R::None, signer.At(M::Start, session)) << locked;
        EXPECT_TRUE(signer.WaitingForUnlock());
        // Unlocked from another machine: nobody is signed in, and it still waits.
        session.locked = false;
        session.remote = true;
        EXPECT_EQ(R::None, signer.At(M::Unlock, session)) << locked;
        EXPECT_TRUE(signer.WaitingForUnlock());
        session.remote = false;
        EXPECT_EQ(R::SignIn, signer.At(M::Unlock, session)) << locked;
        EXPECT_FALSE(signer.WaitingForUnlock());
        // That unlock's sign-in is the logon one: retried when unreachable.
        EXPECT_TRUE(signer.Concluded(AutoVerdict::Unreachable));
    }
}

TEST(AutoSignerTest, AWaitingRequestIsDroppedOnlyWhenTheMembersOwnPutThemThere) {
    AutoSigner signer;
    signer.Defer(R::SignOut);
    EXPECT_EQ(R::None, signer.MemberRequestEnded(true, false));
    signer.Defer(R::SignOut);
    EXPECT_EQ(R::SignOut, signer.MemberRequestEnded(false, false)); // theirs failed
    signer.Defer(R::SignOut);
    EXPECT_EQ(R::SignOut, signer.MemberRequestEnded(true, true)); // they signed in
    EXPECT_EQ(R::None, signer.MemberRequestEnded(true, true));    // nothing waits now
}

} // namespace
