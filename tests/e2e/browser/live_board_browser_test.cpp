// The live board of a whole office as members use it: tesmar.exe under Wine
// with its web port and signing in from a browser on, a board of 150
// members (office_board.py), and headless Chromium driven through WebDriver
// (tests/e2e/browser/live_board.py): the panel first and the wall, phone and
// laptop views sized to the board, contrast and names of every text and
// control, a sign-out from one window shown and announced in another at
// once, and a page that comes back by itself after its stream ends.
#include <gtest/gtest.h>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

TEST(LiveBoardInChromium, AWholeOfficeOnTheWallThePhoneAndTheLaptop) {
    e2e::TesmarServer server(e2e::ScratchDir("browser.live"), 0);
    std::string board_file = server.DataFile();
    ASSERT_EQ(0, std::system(("timeout 30 /usr/bin/python3 " SOURCE_DIR
                              "/tests/e2e/browser/office_board.py > '" +
                              board_file + "'")
                                 .c_str()));
    int web = server.EnableWebPort();
    server.SetSetting("WebSignIn", "TRUE");
    ASSERT_TRUE(e2e::FileExists(e2e::TesmarExe())) << "build the windows preset first";
    ASSERT_TRUE(server.Start()) << server.StartFailure();
    std::string command = "timeout 300 /usr/bin/python3 " SOURCE_DIR
                          "/tests/e2e/browser/live_board.py "
                          "http://127.0.0.1:" +
                          std::to_string(web) + " 'Bob Baker' Bank";
    if (const char *shots = std::getenv("LIVE_BOARD_SHOTS")) command += std::string(" ") + shots;
    EXPECT_EQ(0, std::system(command.c_str()));
    // Signed out and in again from the browser, and every member kept.
    std::string board = ReadBytes(board_file);
    EXPECT_NE(std::string::npos, board.find("Bob Baker-1-")) << board;
    EXPECT_EQ(150, std::count(board.begin(), board.end(), '\n'));
    EXPECT_EQ(0, server.Close());
}

} // namespace
