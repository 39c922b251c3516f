// One request's steps and the judgement of its reply.
#include "client/core/request_machine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JudgeReplyTest, TheFirstByteDecidesOnceThreeBytesOrTheCloseHaveCome) {
    struct Case {
        std::string reply;
        bool closed;
        ReplyVerdict verdict;
    } cases[] = {
        {"0\n\r", false, ReplyVerdict::Done},      {"1\n\r", false, ReplyVerdict::UnknownName},
        {"2\n\r", false, ReplyVerdict::Failed},    {"0\n", false, ReplyVerdict::Incomplete},
        {"\n\r", false, ReplyVerdict::Incomplete}, {"1", true, ReplyVerdict::UnknownName},
        {"0", true, ReplyVerdict::Done},           {"\n\r", true, ReplyVerdict::Failed},
        {"", true, ReplyVerdict::Failed},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.verdict, JudgeReply(c.reply.data(), c.reply.size(), c.closed))
            << "\"" << c.reply << "\" closed " << c.closed;
}

TEST(RequestMachineTest, ARequestGoesLookUpConnectSendAndEndsAtItsReply) {
    RequestMachine m;
    EXPECT_FALSE(m.Start());
    EXPECT_EQ(RequestState::LookingUp, m.State());
    EXPECT_EQ(RequestStep::Connect, m.LookupEnded(true));
    EXPECT_EQ(RequestStep::Send, m.ConnectEnded(true));
    EXPECT_EQ(RequestStep::Wait, m.SendEnded(true));
    EXPECT_EQ(RequestStep::Wait, m.Received("0", 1));
    EXPECT_EQ(RequestState::AwaitingReply, m.State());
    EXPECT_EQ(RequestStep::Done, m.Received("\n\r", 2));
    EXPECT_FALSE(m.Open());
    // Late events of an ended request decide nothing more.
    EXPECT_EQ(RequestStep::Wait, m.Closed());
    EXPECT_EQ(RequestStep::Wait, m.TimedOut());
}

TEST(RequestMachineTest, EveryFailureEndsTheRequestWithItsVerdict) {
    RequestMachine m;
    m.Start();
    EXPECT_EQ(RequestStep::CannotConnect, m.LookupEnded(false));
    EXPECT_FALSE(m.Open());

    m.Start();
    m.LookupEnded(true);
    EXPECT_EQ(RequestStep::CannotConnect, m.ConnectEnded(false));

    m.Start();
    m.LookupEnded(true);
    EXPECT_EQ(RequestStep::CannotConnect, m.Closed());

    m.Start();
    m.LookupEnded(true);
    m.ConnectEnded(true);
    EXPECT_EQ(RequestStep::SendFailed, m.SendEnded(false));

    m.Start();
    m.LookupEnded(true);
    m.ConnectEnded(true);
    m.Received("1", 1);
    EXPECT_EQ(RequestStep::UnknownName, m.Closed());
    EXPECT_FALSE(m.Open());
}

TEST(RequestMachineTest, TheWaitRunsOutInEveryOpenStepAndANewStartGivesUpTheOldOne) {
    for (int steps = 0; steps < 3; ++steps) {
        RequestMachine m;
        m.Start();
        if (steps > 0) m.LookupEnded(true);
        if (steps > 1) m.ConnectEnded(true);
        EXPECT_EQ(RequestStep::CannotConnect, m.TimedOut()) << steps;
        EXPECT_FALSE(m.Open());
    }
    RequestMachine m;
    m.Start();
    m.LookupEnded(true);
    m.ConnectEnded(true);
    m.Received("\n", 1);
    EXPECT_TRUE(m.Start());
    EXPECT_EQ(0u, m.ReplyLength());
    // Events out of their step change nothing.
    EXPECT_EQ(RequestStep::Wait, m.ConnectEnded(true));
    EXPECT_EQ(RequestStep::Wait, m.Received("0\n\r", 3));
    EXPECT_EQ(RequestState::LookingUp, m.State());
}

TEST(RequestMachineTest, AnEndlessReplyIsCappedAndStillJudged) {
    RequestMachine m;
    m.Start();
    m.LookupEnded(true);
    m.ConnectEnded(true);
    std::string junk(2 * kReplyCapacity, 'x');
    EXPECT_EQ(RequestStep::CannotConnect, m.Received(junk.data(), junk.size()));
    EXPECT_EQ(kReplyCapacity, m.ReplyLength());
}

} // namespace
