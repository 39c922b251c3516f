#include "common/clock_text.h"

#include <gtest/gtest.h>

#include "tests/kit/doubles/fixed_clock.h"

namespace {

std::string At(int hour, int minute) {
    FixedClock clock(hour, minute);
    char text[kClockTextCapacity];
    return FormatClockTime(clock, text, sizeof text);
}

TEST(ClockText, TwelveHourTextWithMidnightAsZero) {
    EXPECT_EQ("0:05am", At(0, 5));
    EXPECT_EQ("9:07am", At(9, 7));
    EXPECT_EQ("11:59am", At(11, 59));
    EXPECT_EQ("12:00pm", At(12, 0));
    EXPECT_EQ("1:30pm", At(13, 30));
    EXPECT_EQ("11:59pm", At(23, 59));
}

TEST(ClockText, FitsTheTimeFieldAndASmallBufferIsCut) {
    FixedClock clock(23, 59);
    char small[4];
    EXPECT_STREQ("11:", FormatClockTime(clock, small, sizeof small));
}

} // namespace
