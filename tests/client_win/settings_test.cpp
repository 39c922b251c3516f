// The client's settings against the real registry of the prefix.
#include <gtest/gtest.h>

#include <string>

#include "client/client_program.h"
#include "common/settings_store_win32.h"
#include "tests/client_win/client_harness.h"

namespace {

std::string LogonName() {
    char name[20] = "";
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) name[0] = '\0';
    return name;
}

class ClientSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetClient();
        DeleteClientKey();
    }
    void TearDown() override { DeleteClientKey(); }
};

TEST_F(ClientSettingsTest, AFirstRunAsksForOptionsAndTakesTheLogonName) {
    LoadClientSettings();
    ASSERT_EQ(1u, g_recorder.asked.size());
    EXPECT_EQ("Please set your options!", g_recorder.asked[0].text);
    EXPECT_EQ("In/Out Setup", g_recorder.asked[0].caption);
    EXPECT_EQ(AlertIcon::Warning, g_recorder.asked[0].icon);
    EXPECT_FALSE(LogonName().empty());
    EXPECT_EQ(LogonName(), g_program.settings.user_name);
    EXPECT_EQ(LogonName(), g_program.settings.current_name);
    EXPECT_STREQ("", g_program.settings.server);
    EXPECT_STREQ("223", g_program.settings.port);
    EXPECT_STREQ("", g_program.settings.names);
    // Nothing is written until the options are confirmed.
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KVT\\Wenlo", 0, KEY_READ, &key));
}

TEST_F(ClientSettingsTest, WithTheKeyPresentAMissingPortReadsEmpty) {
    WriteSetting(kClientStore, "UserName", "Ann");
    WriteSetting(kClientStore, "Server", "board.example");
    WriteSetting(kClientStore, "Names", "bob%carl%");
    LoadClientSettings();
    EXPECT_TRUE(g_recorder.asked.empty());
    EXPECT_STREQ("Ann", g_program.settings.user_name);
    EXPECT_STREQ("Ann", g_program.settings.current_name);
    EXPECT_STREQ("board.example", g_program.settings.server);
    EXPECT_STREQ("", g_program.settings.port);
    EXPECT_STREQ("bob%carl%", g_program.settings.names);
}

TEST_F(ClientSettingsTest, LongValuesSetByHandAreCut) {
    std::string long_text(900, 'x');
    WriteSetting(kClientStore, "UserName", long_text.c_str());
    WriteSetting(kClientStore, "Server", long_text.c_str());
    WriteSetting(kClientStore, "Port", long_text.c_str());
    WriteSetting(kClientStore, "Names", long_text.c_str());
    LoadClientSettings();
    EXPECT_EQ(std::string(19, 'x'), g_program.settings.user_name);
    EXPECT_EQ(std::string(79, 'x'), g_program.settings.server);
    EXPECT_EQ(std::string(11, 'x'), g_program.settings.port);
    EXPECT_EQ(std::string(639, 'x'), g_program.settings.names);
}

} // namespace
