// The marshals' page as marshals use it: tesmar.exe under Wine with its web
// port and a marshal key, and headless Chromium at a phone's size driven
// through WebDriver (tests/e2e/browser/roll_call.py): a tap in one window
// counts in a second window at once.
#include <gtest/gtest.h>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

#include <cstdlib>
#include <string>

namespace {

TEST(RollCallInChromium, ATapOnAPhoneCountsInAnotherWindowAtOnce) {
    e2e::TesmarServer server(e2e::ScratchDir("browser.rollcall"), 0);
    e2e::WriteFile(server.DataFile(), "Alice Archer-1- -8:55am- -\r\n"
                                      "Bob Baker-1- -8:30am- -\r\n"
                                      "Carol & Co-0-Lunch-9:10am-1:00pm-\r\n");
    int web = server.EnableWebPort();
    server.SetSetting("MarshalKey", "marshal-key-1");
    ASSERT_TRUE(e2e::FileExists(e2e::TesmarExe())) << "build the windows preset first";
    ASSERT_TRUE(server.Start()) << server.StartFailure();
    std::string command = "timeout 150 /usr/bin/python3 " SOURCE_DIR
                          "/tests/e2e/browser/roll_call.py "
                          "http://127.0.0.1:" +
                          std::to_string(web) + " marshal-key-1 'Bob Baker'";
    if (const char *shots = std::getenv("ROLL_CALL_SHOTS")) command += std::string(" ") + shots;
    EXPECT_EQ(0, std::system(command.c_str()));
    std::string saved = ReadBytes(server.work() + "/rollcall.dat");
    EXPECT_NE(std::string::npos, saved.find("person safe")) << saved;
    EXPECT_EQ(0, server.Close());
}

} // namespace
