#include "server/page/board_page.h"

#include "common/files.h"
#include "server/board/user_table.h"
#include "tests/kit/board_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string kHead = "<TABLE BORDER>\r\n"
                          "<TR>\r\n"
                          "<TH ALIGN=LEFT>Name</TH>\r\n"
                          "<TH>In</TH>\r\n"
                          "<TH>Out</TH>\r\n"
                          "<TH>Destination</TH>\r\n"
                          "<TH>Return time</TH>\r\n"
                          "</TR>\r\n\r\n";

std::string Opening(const char *stamp) {
    return std::string("<HTML><!-- ") + stamp +
           " -->\r\n<HEAD>\r\n<META HTTP-EQUIV=\"Refresh\" CONTENT=60><TITLE>IN-OUT LOG</TITLE>\r\n"
           "</HEAD><BODY>\r\n<CENTER>\r\n";
}

std::string Format(const UserTable &table, const ServerSettings &settings, ClockTime now) {
    std::vector<char> out(kBoardPageCapacity);
    size_t size = FormatBoardPage(table, settings, now, out.data(), out.size());
    return std::string(out.data(), size);
}

size_t Count(const std::string &text, const std::string &part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class BoardPage : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearTable(table);
        settings = SettingsIn(dir, dir.File("board.htm"));
    }
    ScratchDir dir;
    ServerSettings settings;
    UserTable table;
    FixedClock clock{ClockTime{9, 5, 7}};
};

} // namespace

TEST_F(BoardPage, EmptyBoardHasTheHeadOnly) {
    settings.Header[0] = '\0';
    settings.Footer[0] = '\0';
    EXPECT_EQ(Opening("00:00.0") + kHead + "\r\n</TABLE>\r\n</BODY>\r\n</HTML>\r\n",
              Format(table, settings, ClockTime{0, 0, 0}));
}

TEST_F(BoardPage, InAndOutRowsWithEscapedFieldsAndVerbatimHeaderAndFooter) {
    std::strcpy(settings.Header, "<p>%s & %d</p>\r\n");
    std::strcpy(settings.Footer, "<script>x()</script>");
    Put(table, 0, "Ann", 1, "", "9:00", "");
    Put(table, 1, "Bob", 0, "Lunch", "12:00", "13:00");
    Put(table, 2, "Cy", 0, "", "", "");                     // out, every field empty
    Put(table, 3, "<b>Dee</b>", -128, "gone", "8:00", "x"); // any non-zero flag is in
    Put(table, 4, "Eve & \"Co\"", 0, "<script>", "1<2", "a>b&c");
    Put(table, 5, "Beyond", 1, "", "", ""); // not in use
    table.count = 5;
    std::string expected =
        Opening("09:05.7") + "<p>%s & %d</p>\r\n" + kHead +
        "<TR>\r\n<TH ALIGN=LEFT>Ann</TH>\r\n"
        "<TH>9:00</TH>\r\n<TH> </TH>\r\n<TH> </TH>\r\n<TH> </TH>\r\n</TR>\r\n\r\n"
        "<TR>\r\n<TH ALIGN=LEFT>Bob</TH>\r\n"
        "<TH> </TH>\r\n<TH>12:00</TH>\r\n<TH>Lunch</TH>\r\n<TH>13:00</TH>\r\n</TR>\r\n\r\n"
        "<TR>\r\n<TH ALIGN=LEFT>Cy</TH>\r\n"
        "<TH> </TH>\r\n<TH></TH>\r\n<TH></TH>\r\n<TH></TH>\r\n</TR>\r\n\r\n"
        "<TR>\r\n<TH ALIGN=LEFT>&lt;b&gt;Dee&lt;/b&gt;</TH>\r\n"
        "<TH>8:00</TH>\r\n<TH> </TH>\r\n<TH> </TH>\r\n<TH> </TH>\r\n</TR>\r\n\r\n"
        "<TR>\r\n<TH ALIGN=LEFT>Eve &amp; &quot;Co&quot;</TH>\r\n"
        "<TH> </TH>\r\n<TH>1&lt;2</TH>\r\n<TH>&lt;script&gt;</TH>\r\n<TH>a&gt;b&amp;c</TH>\r\n"
        "</TR>\r\n\r\n"
        "\r\n</TABLE>\r\n<script>x()</script></BODY>\r\n</HTML>\r\n";
    EXPECT_EQ(expected, Format(table, settings, ClockTime{9, 5, 7}));
    EXPECT_EQ(0u, Count(expected, "\r\r"));
}

TEST_F(BoardPage, StampHasTwoDigitHourAndMinuteAndPlainSeconds) {
    EXPECT_EQ(0u, Format(table, settings, ClockTime{14, 30, 45}).find(Opening("14:30.45")));
    EXPECT_EQ(0u, Format(table, settings, ClockTime{23, 59, 9}).find(Opening("23:59.9")));
}

TEST_F(BoardPage, FullBoardOfEscapedFieldsFitsWhole) {
    std::string header(999, '<');
    std::strcpy(settings.Header, header.c_str());
    std::strcpy(settings.Footer, std::string(999, '>').c_str());
    for (int i = 0; i < kMaxUsers; ++i) {
        Put(table, i, std::string(19, '"').c_str(), 0, std::string(29, '&').c_str(),
            std::string(9, '<').c_str(), std::string(29, '>').c_str());
        table.slots[i].name[0] = static_cast<char>('A' + i % 26);
    }
    table.count = kMaxUsers;
    std::string page = Format(table, settings, ClockTime{1, 2, 3});
    EXPECT_LT(page.size(), kBoardPageCapacity);
    EXPECT_EQ(151u, Count(page, "<TR>"));
    EXPECT_EQ(0u, page.find(Opening("01:02.3") + header + kHead));
    EXPECT_EQ(page.size() - 18 - 999, page.rfind(std::string(999, '>')));
    EXPECT_EQ("</BODY>\r\n</HTML>\r\n", page.substr(page.size() - 18));
}

TEST_F(BoardPage, WritesTheFormattedBytesToTheFile) {
    Put(table, 0, "Ann", 1, "", "9:00", "");
    table.count = 1;
    WriteBytes(dir.File("board.htm"), std::string(200000, 'x')); // an old, longer page
    ASSERT_TRUE(WriteBoardPage(table, settings, clock));
    EXPECT_EQ(Format(table, settings, ClockTime{9, 5, 7}), ReadBytes(dir.File("board.htm")));
    EXPECT_EQ(std::vector<std::string>{"board.htm"}, FilesIn(dir.path()));
}

TEST_F(BoardPage, NoPathWritesNothing) {
    settings.HTMLFile[0] = '\0';
    EXPECT_FALSE(WriteBoardPage(table, settings, clock));
    EXPECT_FALSE(BoardPageConfigured(settings));
    EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST_F(BoardPage, NeverOverwritesTheDataFile) {
    std::string data_file = dir.File("tesmar.dat");
    WriteBytes(data_file, "Ann-1- -12:00- -\r\n");
    std::vector<std::string> spellings = {data_file, (dir.path() / "." / "tesmar.dat").string(),
                                          (dir.path() / "sub" / ".." / "tesmar.dat").string()};
    std::filesystem::create_directory(dir.path() / "sub");
#ifdef _WIN32
    std::string upper = data_file;
    upper.replace(upper.size() - 10, 10, "TESMAR.DAT");
    spellings.push_back(upper);
#endif
    for (const std::string &path : spellings) {
        std::strcpy(settings.HTMLFile, path.c_str());
        EXPECT_FALSE(WriteBoardPage(table, settings, clock)) << path;
        EXPECT_EQ("Ann-1- -12:00- -\r\n", ReadBytes(data_file)) << path;
    }
    // A file of the same name elsewhere is fine.
    std::strcpy(settings.HTMLFile, (dir.path() / "sub" / "tesmar.dat").string().c_str());
    EXPECT_TRUE(WriteBoardPage(table, settings, clock));
    EXPECT_EQ("Ann-1- -12:00- -\r\n", ReadBytes(data_file));
}

TEST_F(BoardPage, AKeptPathCheckLooksAgainWhenAPathChanges) {
    std::string data_file = dir.File("tesmar.dat");
    WriteBytes(data_file, "Ann-1- -12:00- -\r\n");
    PagePathCheck check;
    const std::string bytes = "<HTML></HTML>";
    // A page elsewhere, then the data file by another spelling.
    std::strcpy(settings.HTMLFile, dir.File("board.htm").c_str());
    EXPECT_TRUE(WriteBoardPageBytes(settings, bytes.data(), bytes.size(), check));
    EXPECT_TRUE(WriteBoardPageBytes(settings, bytes.data(), bytes.size(), check));
    std::strcpy(settings.HTMLFile, (dir.path() / "." / "tesmar.dat").string().c_str());
    EXPECT_FALSE(WriteBoardPageBytes(settings, bytes.data(), bytes.size(), check));
    EXPECT_EQ("Ann-1- -12:00- -\r\n", ReadBytes(data_file));
    EXPECT_EQ(bytes, ReadBytes(dir.File("board.htm")));
}

TEST_F(BoardPage, GivesUpAfterBoundedAttemptsLeavingNothingBehind) {
    // A directory where the page should be, and a directory that is missing.
    std::filesystem::create_directory(dir.File("board.htm"));
    std::string missing = (dir.path() / "missing" / "board.htm").string();
    for (const std::string &path : {dir.File("board.htm"), missing}) {
        std::strcpy(settings.HTMLFile, path.c_str());
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(WriteBoardPage(table, settings, clock)) << path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("board.htm")));
    EXPECT_EQ(std::vector<std::string>{"board.htm"}, FilesIn(dir.path()));
}
