// The client's settings against the real registry of the prefix.
#include <gtest/gtest.h>

#include <string>

#include "client/shell/client_program.h"
#include "client/core/layered_settings_store.h"
#include "common/settings_store_win32.h"
#include "tests/wine/client/client_harness.h"

namespace {

std::string LogonName() {
    char name[20] = "";
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size)) name[0] = '\0';
    return name;
}

using ClientSettingsTest = ClientTest;

TEST_F(ClientSettingsTest, AFirstRunAsksForOptionsAndTakesTheLogonName) {
    LoadClientSettings(program);
    ASSERT_EQ(1u, recorder.asked.size());
    EXPECT_EQ("Please set your options!", recorder.asked[0].text);
    EXPECT_EQ("In/Out Setup", recorder.asked[0].caption);
    EXPECT_EQ(AlertIcon::Warning, recorder.asked[0].icon);
    EXPECT_FALSE(LogonName().empty());
    EXPECT_EQ(LogonName(), program.settings.user_name);
    EXPECT_EQ(LogonName(), program.settings.current_name);
    EXPECT_STREQ("", program.settings.server);
    EXPECT_STREQ("223", program.settings.port);
    EXPECT_STREQ("", program.settings.names);
    // Nothing is written until the options are confirmed.
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KVT\\Wenlo", 0, KEY_READ, &key));
}

TEST_F(ClientSettingsTest, WithTheKeyPresentAMissingPortReadsEmpty) {
    WriteSetting(kClientStore, "UserName", "Ann");
    WriteSetting(kClientStore, "Server", "board.example");
    WriteSetting(kClientStore, "Names", "bob%carl%");
    LoadClientSettings(program);
    EXPECT_TRUE(recorder.asked.empty());
    EXPECT_STREQ("Ann", program.settings.user_name);
    EXPECT_STREQ("Ann", program.settings.current_name);
    EXPECT_STREQ("board.example", program.settings.server);
    EXPECT_STREQ("", program.settings.port);
    EXPECT_STREQ("bob%carl%", program.settings.names);
}

TEST_F(ClientSettingsTest, AMachineSetUpWithServerAndPortOnlyNamesEachMemberByTheirLogon) {
    WriteSetting(kClientStore, "Server", "board");
    WriteSetting(kClientStore, "Port", "2230");
    LoadClientSettings(program);
    EXPECT_TRUE(recorder.asked.empty());
    EXPECT_FALSE(LogonName().empty());
    EXPECT_EQ(LogonName(), program.settings.user_name);
    EXPECT_EQ(LogonName(), program.settings.current_name);
    EXPECT_STREQ("2230", program.settings.port);
}

TEST_F(ClientSettingsTest, LongValuesSetByHandAreCut) {
    std::string long_text(900, 'x');
    WriteSetting(kClientStore, "UserName", long_text.c_str());
    WriteSetting(kClientStore, "Server", long_text.c_str());
    WriteSetting(kClientStore, "Port", long_text.c_str());
    WriteSetting(kClientStore, "Names", long_text.c_str());
    LoadClientSettings(program);
    EXPECT_EQ(std::string(19, 'x'), program.settings.user_name);
    EXPECT_EQ(std::string(79, 'x'), program.settings.server);
    EXPECT_EQ(std::string(11, 'x'), program.settings.port);
    EXPECT_EQ(std::string(639, 'x'), program.settings.names);
}

TEST_F(ClientSettingsTest, TheMembersValuesComeBeforeTheMachinesAndOnlyServerMarksASetUp) {
    WriteSetting(kClientStore, "Server", "board");
    WriteSetting(kClientStore, "Port", "2230");
    WriteSetting(MemberKey(), "UserName", "Beth");
    WriteSetting(MemberKey(), "Port", ""); // empty: the machine's holds
    LoadClientSettings(program);
    EXPECT_TRUE(recorder.asked.empty());
    EXPECT_STREQ("Beth", program.settings.user_name);
    EXPECT_STREQ("board", program.settings.server);
    EXPECT_STREQ("2230", program.settings.port);

    // A name of its own but no server anywhere: the first-start message.
    DeleteClientKey();
    WriteSetting(MemberKey(), "UserName", "Beth");
    LoadClientSettings(program);
    ASSERT_EQ(1u, recorder.asked.size());
    EXPECT_EQ("Please set your options!", recorder.asked[0].text);
    EXPECT_STREQ("Beth", program.settings.user_name);
    EXPECT_STREQ("223", program.settings.port);
}

TEST_F(ClientSettingsTest, AWriteTheMembersKeyRefusesIsToldOnce) {
    // Wine does not check a parent key's access, so the refusing key is one
    // deleted under its open handle, standing in for HKEY_CURRENT_USER.
    std::string gone = "SOFTWARE\\WenloTests\\" + std::to_string(GetCurrentProcessId());
    HKEY refusing = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, gone.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &refusing, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, gone.c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, refusing));
    bool first = store.Write("UserName", "Ann");
    bool second = store.Write("Names", "bob%");
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(refusing);
    EXPECT_FALSE(first);
    EXPECT_FALSE(second);
    ASSERT_EQ(1u, recorder.asked.size());
    EXPECT_EQ(kSettingsNotSaved, recorder.asked[0].text);
}

} // namespace
