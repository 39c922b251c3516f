#include "server/publish/request_framer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Feeds text in pieces of the given size; the state after the last piece
// that was taken (Feed stops changing anything once it is not NeedMore).
FrameState FeedInPieces(RequestFramer &framer, const std::string &text, size_t piece) {
    FrameState state = FrameState::NeedMore;
    for (size_t at = 0; at < text.size(); at += piece) {
        state = framer.Feed(text.data() + at, std::min(piece, text.size() - at));
    }
    return state;
}

} // namespace

TEST(RequestFramer, PiecesOfEverySizeGiveTheSameLine) {
    const std::string requests[] = {"#oAnn-12:00-Lunch-13:00\n\r", "#oAnn-12:00-Lunch-13:00\r\n"};
    for (const std::string &request : requests) {
        for (size_t piece = 1; piece <= request.size(); ++piece) {
            RequestFramer framer;
            EXPECT_EQ(FrameState::Complete, FeedInPieces(framer, request, piece)) << piece;
            EXPECT_STREQ("#oAnn-12:00-Lunch-13:00", framer.Line()) << piece;
        }
    }
    // An LF ending one receive and the CR starting the next.
    RequestFramer framer;
    EXPECT_EQ(FrameState::NeedMore, framer.Feed("#iAnn-9\n", 8));
    EXPECT_EQ(FrameState::Complete, framer.Feed("\rjunk", 5));
    EXPECT_STREQ("#iAnn-9", framer.Line());
}

TEST(RequestFramer, CrLfAnywhereWinsOverAnEarlierLfCr) {
    RequestFramer framer;
    EXPECT_EQ(FrameState::Complete, framer.Feed("a\n\rb\r\nc\n\r", 10));
    EXPECT_STREQ("a\n\rb", framer.Line());

    // The rule holds over what has arrived: before the LF of a CR LF, an
    // earlier LF CR ends the line.
    RequestFramer split;
    EXPECT_EQ(FrameState::Complete, split.Feed("a\n\rb\r", 5));
    EXPECT_STREQ("a", split.Line());

    RequestFramer lf_cr;
    EXPECT_EQ(FrameState::Complete, lf_cr.Feed("a\rb\n\rc", 6));
    EXPECT_STREQ("a\rb", lf_cr.Line());
}

TEST(RequestFramer, The255ByteLimitCountsBytesAfterTheLineEnd) {
    const std::string line(253, 'x');
    for (size_t piece : {1u, 7u, 255u}) {
        RequestFramer exact;
        EXPECT_EQ(FrameState::Complete, FeedInPieces(exact, line + "\n\r", piece));
        EXPECT_EQ(line, exact.Line());
        EXPECT_EQ(255, exact.Total());

        RequestFramer over;
        EXPECT_EQ(FrameState::Rejected, FeedInPieces(over, "y" + line + "\n\r", piece)) << piece;
    }
    // A line end in the piece that passes the limit does not save it.
    const std::string short_line(250, 'x');
    RequestFramer trailing;
    EXPECT_EQ(FrameState::Complete, trailing.Feed((short_line + "\n\rabc").data(), 255));
    EXPECT_EQ(short_line, trailing.Line());
    RequestFramer one_more;
    EXPECT_EQ(FrameState::NeedMore, one_more.Feed(short_line.data(), 250));
    EXPECT_EQ(FrameState::Rejected, one_more.Feed("\n\rabcd", 6));
    EXPECT_EQ(FrameState::Rejected, one_more.Feed("\n\r", 2));
}

TEST(RequestFramer, BytesAfterANulAreCountedButNotKept) {
    RequestFramer framer;
    EXPECT_EQ(FrameState::NeedMore, framer.Feed("#iBo\0\n\rzz", 9));
    EXPECT_EQ(FrameState::Complete, framer.Feed("b\n\r", 3));
    EXPECT_STREQ("#iBob", framer.Line());
    EXPECT_EQ(12, framer.Total());

    RequestFramer nuls;
    const std::string zeros(254, '\0');
    EXPECT_EQ(FrameState::NeedMore, nuls.Feed(zeros.data(), zeros.size()));
    EXPECT_EQ(FrameState::Rejected, nuls.Feed("\n\r", 2));
}

TEST(RequestFramer, AnEmptyLineOrNothingBecomesDefaultTxt) {
    RequestFramer empty;
    EXPECT_EQ(FrameState::Complete, empty.Feed("\r\n", 2));
    EXPECT_STREQ("default.txt", empty.Line());

    RequestFramer closed;
    EXPECT_EQ(FrameState::NeedMore, closed.Feed("", 0));
    closed.Finish();
    EXPECT_EQ(FrameState::Complete, closed.State());
    EXPECT_STREQ("default.txt", closed.Line());

    RequestFramer partial;
    partial.Feed("#iAnn-9\n", 8);
    partial.Finish();
    EXPECT_STREQ("#iAnn-9\n", partial.Line());
    partial.Reset();
    EXPECT_EQ(0, partial.Total());
    EXPECT_EQ(FrameState::Complete, partial.Feed("GET / HTTP/1.0\r\n", 16));
    EXPECT_STREQ("GET / HTTP/1.0", partial.Line());
}
