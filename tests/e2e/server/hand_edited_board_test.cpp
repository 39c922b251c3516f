// The server's start-up and its files: a data file edited by hand while
// the server was stopped is saved as the server's own saves would have
// written it, so that no request can push a member beyond the board, and
// what a killed save left is cleared away.
#include <ctime>
#include <string>

#include "tests/e2e/server/server_fixture.h"

namespace {

using e2e::Exchange;

TEST_F(ServerTest, ABlankLineInAHandEditedFileLosesNoMember) {
    StartServer("Ann-1- -09:00- -\r\n"
                "\r\n"
                "Bob-1- -09:10- -\r\n"
                "Carl-1- -09:20- -\r\n");
    EXPECT_EQ(Board(), "Ann-1- -09:00- -\r\nBob-1- -09:10- -\r\nCarl-1- -09:20- -\r\n");
    EXPECT_EQ(Exchange(port, "#oBob-12:00-Lunch-13:00\n\r").bytes, "0\n\r");
    EXPECT_EQ(Exchange(port, "#oCarl-12:05-Bank-12:30\n\r").bytes, "0\n\r");
    EXPECT_EQ(Board(), "Ann-1- -09:00- -\r\n"
                       "Bob-0-Lunch-12:00-13:00-\r\n"
                       "Carl-0-Bank-12:05-12:30-\r\n");
}

TEST_F(ServerTest, AtStartUpAnUnsortedFileIsSortedOnDiskAndLeftTemporariesGo) {
    e2e::WriteFile(DataFile() + ".4242.tmp", "a save cut short");
    long long since = std::time(nullptr);
    StartServer("Zoe-1- -09:00- -\r\n"
                " -0- - - -\r\n"
                "ann-0-Home-17:00-09:00-\r\n");
    EXPECT_EQ(Board(), "ann-0-Home-17:00-09:00-\r\nZoe-1- -09:00- -\r\n");
    EXPECT_TRUE(PageShows(Board(), since)); // the page is made at start-up
    EXPECT_FALSE(e2e::FileExists(DataFile() + ".4242.tmp"));
}

} // namespace
