#include "common/protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

RequestFields SignOut(const char *name, const char *out_time, const char *destination,
                      const char *return_time) {
    RequestFields fields{};
    fields.signed_in = false;
    strncpy(fields.name, name, sizeof fields.name - 1);
    strncpy(fields.out_time, out_time, sizeof fields.out_time - 1);
    strncpy(fields.destination, destination, sizeof fields.destination - 1);
    strncpy(fields.return_time, return_time, sizeof fields.return_time - 1);
    return fields;
}

std::string Build(const RequestFields &fields) {
    char line[kRequestLineCapacity];
    size_t length = BuildRequestLine(fields, line, sizeof line);
    EXPECT_EQ(std::strlen(line), length);
    return std::string(line, length);
}

} // namespace

TEST(RequestLine, FieldsGoOutInWireOrderWithEmptyOnesAsSpaces) {
    EXPECT_EQ("#oAnn-12:00-Lunch-13:00\n\r", Build(SignOut("Ann", "12:00", "Lunch", "13:00")));
    EXPECT_EQ("#o - - - \n\r", Build(SignOut("", "", "", "")));

    RequestFields in{};
    in.signed_in = true;
    strcpy(in.name, "Ann");
    strcpy(in.out_time, "9:99"); // not the sign-in's field
    strcpy(in.destination, "Lunch");
    EXPECT_EQ("#iAnn- \n\r", Build(in));
    strcpy(in.in_time, "08:30");
    EXPECT_EQ("#iAnn-08:30\n\r", Build(in));
}

TEST(RequestLine, DashesAndLineEndsInsideFieldsCannotShiftOrEndTheLine) {
    EXPECT_EQ("#oAnn-12 00-Out of town-1  2\n\r",
              Build(SignOut("Ann", "12-00", "Out-of-town", "1\r\n2")));
    // The name keeps its dash (the board never holds one) but not a line end.
    EXPECT_EQ("#oA-n n- - - \n\r", Build(SignOut("A-n\nn", "", "", "")));
}

TEST(RequestLine, LongestLinesFitAndSmallBuffersAreNeverOverrun) {
    RequestFields full;
    std::memset(&full, 'x', sizeof full); // no field terminated
    full.signed_in = false;
    std::string line = Build(full);
    EXPECT_EQ(93u, line.size());
    EXPECT_EQ(std::string("#o") + std::string(19, 'x') + "-" + std::string(9, 'x') + "-" +
                  std::string(29, 'x') + "-" + std::string(29, 'x') + "\n\r",
              line);
    full.signed_in = true;
    EXPECT_EQ(33u, Build(full).size());

    char small[12];
    std::memset(small, '!', sizeof small);
    EXPECT_EQ(9u, BuildRequestLine(full, small, 10));
    EXPECT_STREQ("#ixxxxxxx", small);
    EXPECT_EQ('!', small[10]);
    EXPECT_EQ(0u, BuildRequestLine(full, small, 0));
    EXPECT_EQ('#', small[0]);
}

TEST(Port, ReadsLikeAtoiKeepingTheLow16Bits) {
    EXPECT_EQ(223, ParsePort("223"));
    EXPECT_EQ(80, ParsePort(" \t\n+80"));
    EXPECT_EQ(12, ParsePort("12ab"));
    EXPECT_EQ(4464, ParsePort("70000"));
    EXPECT_EQ(65535, ParsePort("-1"));
    EXPECT_EQ(0, ParsePort("abc"));
    EXPECT_EQ(0, ParsePort(""));
    EXPECT_EQ(0, ParsePort("+-5"));
    EXPECT_EQ(0, ParsePort(nullptr));
    // 2^64 + 1 and 10^30 + 7: no overflow, the low 16 bits of the number.
    EXPECT_EQ(1, ParsePort("18446744073709551617"));
    EXPECT_EQ(7, ParsePort(("1" + std::string(29, '0') + "7").c_str()));
}
