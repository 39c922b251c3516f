// The live board as a member uses it: tesmar.exe under Wine with its web
// port and signing in from a browser on, and headless Chromium driven
// through WebDriver (tests/e2e/browser/live_board.py): a sign-out from one
// window's panel shows in a second window within 2 s without a reload, and
// the lobby view and a phone's width show every row.
#include <gtest/gtest.h>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

#include <cstdlib>
#include <string>

namespace {

TEST(LiveBoardInChromium, ASignOutFromThePanelShowsInAnotherWindowAtOnce) {
    e2e::TesmarServer server(e2e::ScratchDir("browser.live"), 0);
    e2e::WriteFile(server.DataFile(), "Alice Archer-1- -8:55am- -\r\n"
                                      "Bob Baker-1- -8:30am- -\r\n"
                                      "Carol & Co-0-Lunch-9:10am-1:00pm-\r\n");
    int web = server.EnableWebPort();
    server.SetSetting("WebSignIn", "TRUE");
    ASSERT_TRUE(e2e::FileExists(e2e::TesmarExe())) << "build the windows preset first";
    ASSERT_TRUE(server.Start());
    std::string command = "timeout 150 /usr/bin/python3 " SOURCE_DIR "/tests/e2e/browser/live_board.py "
                          "http://127.0.0.1:" + std::to_string(web) + " 'Bob Baker' Bank";
    if (const char *shots = std::getenv("LIVE_BOARD_SHOTS")) command += std::string(" ") + shots;
    EXPECT_EQ(0, std::system(command.c_str()));
    std::string board = ReadBytes(server.DataFile());
    EXPECT_NE(std::string::npos, board.find("Bob Baker-0-Bank-")) << board;
    EXPECT_EQ(0, server.Close());
}

} // namespace
