#include "common/ansi_text.h"

#include <gtest/gtest.h>

namespace {

std::string Utf8(const char *text, unsigned code_page) {
    std::string out;
    AppendUtf8FromAnsi(out, text, code_page);
    return out;
}

TEST(AnsiText, Windows1252AccentsAndTheHighControlRange) {
    // "Zoë Ångström €5 ‘x’" in 1252, then a byte 1252 leaves undefined.
    EXPECT_EQ(Utf8("Zo\xEB \xC5ngstr\xF6m \x80"
                   "5 \x91x\x92",
                   1252),
              "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m \xE2\x82\xAC"
              "5 \xE2\x80\x98x\xE2\x80\x99");
    EXPECT_EQ(Utf8("\x81\xFF", 1252), "\xC2\x81\xC3\xBF");
    // Latin-1 keeps 0x80 as the control character, not the euro sign.
    EXPECT_EQ(Utf8("\x80", 28591), "\xC2\x80");
}

TEST(AnsiText, Utf8CodePageKeepsValidSequencesAndReplacesBrokenOnes) {
    EXPECT_EQ(Utf8("caf\xC3\xA9 \xF0\x9F\x98\x80", 65001), "caf\xC3\xA9 \xF0\x9F\x98\x80");
    // A lone continuation byte, a cut sequence, an overlong slash, a surrogate.
    EXPECT_EQ(
        Utf8("\x80|\xC3|\xC0\xAF|\xED\xA0\x80", 65001),
        "\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(AnsiText, CodePointsAreEncodedInOneToFourBytesAtEachLengthsEdges) {
    auto encoded = [](unsigned cp) {
        std::string out;
        AppendUtf8CodePoint(out, cp);
        return out;
    };
    EXPECT_EQ(encoded(0x41), "A");
    EXPECT_EQ(encoded(0x7F), "\x7F");
    EXPECT_EQ(encoded(0x80), "\xC2\x80");
    EXPECT_EQ(encoded(0x7FF), "\xDF\xBF");
    EXPECT_EQ(encoded(0x800), "\xE0\xA0\x80");
    EXPECT_EQ(encoded(0xFFFD), "\xEF\xBF\xBD");
    EXPECT_EQ(encoded(0x10000), "\xF0\x90\x80\x80");
    EXPECT_EQ(encoded(0x10FFFF), "\xF4\x8F\xBF\xBF");
}

TEST(AnsiText, AsciiIsTheSameInEveryCodePageAndNamesAreIana) {
    EXPECT_EQ(Utf8("Ann, \"Bob\"", 1251), "Ann, \"Bob\"");
    EXPECT_EQ(Utf8(nullptr, 1252), "");
    EXPECT_STREQ(IanaCharsetName(1252), "windows-1252");
    EXPECT_STREQ(IanaCharsetName(932), "Shift_JIS");
    EXPECT_EQ(IanaCharsetName(12345), nullptr);
}

} // namespace
