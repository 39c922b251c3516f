// The member's values over the machine's: what is read, what is written
// where, and a failed write told once.
#include "client/core/layered_settings_store.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/kit/doubles/recording_alerts.h"
#include "tests/kit/doubles/memory_settings_store.h"

namespace {

class LayeredSettingsStoreTest : public ::testing::Test {
  protected:
    std::string Read(const char *name) {
        char value[64] = "<untouched>";
        if (!store.Read(name, value, sizeof value)) return "<no layer>";
        return value;
    }

    MemorySettingsStore member, machine;
    RecordingAlerts alerts;
    LayeredSettingsStore store{member, machine, alerts};
};

TEST_F(LayeredSettingsStoreTest, TheMembersValueWinsAndAnEmptyOneCountsAsMissing) {
    EXPECT_EQ("<no layer>", Read("Server"));
    machine.Write("Server", "board");
    machine.Write("Port", "223");
    EXPECT_EQ("board", Read("Server")); // a machine-only set-up reads unchanged
    EXPECT_EQ("", Read("UserName"));
    member.Write("Server", "other");
    member.Write("Port", "");
    EXPECT_EQ("other", Read("Server"));
    EXPECT_EQ("223", Read("Port"));
    member.exists = true;
    machine.exists = false;
    EXPECT_EQ("", Read("Port"));
}

TEST_F(LayeredSettingsStoreTest, OnlyAValueThatDiffersFromTheMachinesIsWrittenForTheMember) {
    machine.Write("Server", "board");
    EXPECT_EQ(1, store.Write("Server", "board"));
    EXPECT_FALSE(member.exists); // nothing of its own: follows a redeployment
    EXPECT_EQ(1, store.Write("UserName", "Ann"));
    EXPECT_EQ(1, store.Write("Server", "test-board"));
    EXPECT_EQ("Ann", member.values["UserName"]);
    EXPECT_EQ("test-board", member.values["Server"]);
    EXPECT_EQ("", machine.values["UserName"]);
    // Set back to the machine's value: the member's own gives way.
    EXPECT_EQ(1, store.Write("Server", "board"));
    EXPECT_EQ("", member.values["Server"]);
    machine.Write("Server", "new-board");
    EXPECT_EQ("new-board", Read("Server"));
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(LayeredSettingsStoreTest, AValueTheMemberEmptiedOverTheMachinesStaysEmpty) {
    machine.Write("Names", "Ann%bob%");
    EXPECT_EQ(1, store.Write("Names", ""));
    EXPECT_EQ("", Read("Names"));
    machine.Write("Names", "Ann%bob%carl%"); // a redeployment does not bring it back
    EXPECT_EQ("", Read("Names"));
    EXPECT_EQ(1, store.Write("Names", "dora%"));
    EXPECT_EQ("dora%", Read("Names"));
}

TEST_F(LayeredSettingsStoreTest, AFailedWriteIsToldOnce) {
    member.writes_fail = true;
    EXPECT_EQ(0, store.Write("UserName", "Ann"));
    EXPECT_EQ(0, store.Write("Names", "bob%"));
    ASSERT_EQ(1u, alerts.asked.size());
    EXPECT_EQ(kSettingsNotSaved, alerts.asked[0].text);
    EXPECT_EQ(AlertIcon::Warning, alerts.asked[0].icon);
}

} // namespace
