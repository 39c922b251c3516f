// The administration page as an administrator uses it: tesmar.exe under
// Wine with its web port and an administration key, headless Chromium
// driven through WebDriver (tests/e2e/browser/admin_page.py): a member
// added on the page shows on the live board open in another window.
#include <gtest/gtest.h>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

#include <cstdlib>
#include <string>

namespace {

TEST(AdminPageInChromium, AMemberAddedOnThePageShowsOnTheLiveBoard) {
    e2e::TesmarServer server(e2e::ScratchDir("browser.admin"), 0);
    e2e::WriteFile(server.DataFile(), "Ann-1- -8:55am- -\r\nBob Baker-0-Lunch-9:10am-1:00pm-\r\n");
    int web = server.EnableWebPort();
    server.SetSetting("AdminKey", "admin-key-of-the-office");
    ASSERT_TRUE(e2e::FileExists(e2e::TesmarExe())) << "build the windows preset first";
    ASSERT_TRUE(server.Start()) << server.StartFailure();
    std::string command = "timeout 150 /usr/bin/python3 " SOURCE_DIR
                          "/tests/e2e/browser/admin_page.py "
                          "http://127.0.0.1:" +
                          std::to_string(web) + " admin-key-of-the-office 'New Person'";
    EXPECT_EQ(0, std::system(command.c_str()));
    EXPECT_NE(std::string::npos, ReadBytes(server.DataFile()).find("New Person-"))
        << ReadBytes(server.DataFile());
    EXPECT_EQ(0, server.Close());
}

} // namespace
