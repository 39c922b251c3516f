#include "client/core/name_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/kit/doubles/recording_alerts.h"
#include "tests/kit/doubles/recording_name_box.h"
#include "tests/kit/doubles/recording_name_store.h"

namespace {

class NameListTest : public ::testing::Test {
  protected:
    NameListTest() { std::memset(&list, 0x5A, sizeof list); }

    NamePlace Place() { return NamePlace{list, box, store, alerts, own_name.c_str()}; }
    void Load(const char *text) {
        NamePlace place = Place();
        LoadNames(place, text);
    }
    bool Add(const char *name) {
        NamePlace place = Place();
        return AddName(place, name);
    }
    bool Replace(const char *old_name, const char *new_name) {
        NamePlace place = Place();
        return ReplaceName(place, old_name, new_name);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (uint32_t i = 0; i < list.count; ++i) names.push_back(list.slots[i]);
        return names;
    }
    std::string LastWrite() const { return store.writes.empty() ? "<none>" : store.writes.back(); }

    NameList list;
    RecordingNameBox box;
    RecordingNameStore store;
    RecordingAlerts alerts;
    std::string own_name = "me";
};

using Lines = std::vector<std::string>;

TEST_F(NameListTest, LoadSplitsAtRunsOfPercentInStoredOrderAndOffersTheOwnName) {
    Load("bob%%Ann%");
    EXPECT_EQ(Lines({"bob", "Ann"}), Names());
    EXPECT_EQ(Lines({"bob", "Ann", "me"}), box.lines);
    EXPECT_TRUE(store.writes.empty());

    Load("%Ann");
    EXPECT_EQ(Lines({"Ann"}), Names());
    Load("");
    EXPECT_EQ(0u, list.count);
    EXPECT_EQ('\0', list.slots[0][0]);
    EXPECT_EQ('\0', list.slots[kNameSlots - 1][0]);
}

TEST_F(NameListTest, AHandSetTextKeepsItsFirst25NamesEachCutTo19Characters) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += "name" + std::to_string(100 + i) + "_abcdefghijklmnop%";
    Load(text.c_str());
    ASSERT_EQ(25u, list.count);
    EXPECT_EQ("name100_abcdefghijk", Names()[0]);
    EXPECT_EQ("name124_abcdefghijk", Names()[24]);
    EXPECT_EQ('\0', list.slots[25][0]);
}

TEST_F(NameListTest, AddKeepsNameOrderWithCaseEqualNamesInTheirOrder) {
    Load("Ann%bob%");
    EXPECT_TRUE(Add("carl"));
    EXPECT_EQ("Ann%bob%carl%", LastWrite());
    // The duplicate test is exact, the order folds case: Bob comes after
    // bob, which was there first.
    EXPECT_TRUE(Add("Bob"));
    EXPECT_EQ("Ann%bob%Bob%carl%", LastWrite());
    EXPECT_EQ(Lines({"Ann", "bob", "Bob", "carl"}), Names());
    EXPECT_TRUE(alerts.asked.empty());
    // The box was refilled with the names and the member's own name.
    EXPECT_EQ(Lines({"Ann", "bob", "Bob", "carl", "me"}), box.lines);
}

TEST_F(NameListTest, UnderscoreSortsBeforeLettersOfEitherCase) {
    Load("");
    Add("zed");
    Add("Adam");
    Add("_tmp");
    EXPECT_EQ("_tmp%Adam%zed%", LastWrite());
}

TEST_F(NameListTest, TheOwnNameStaysInTheBoxOnceAfterEveryChange) {
    own_name = "Ann";
    Load("Ann%bob%");
    EXPECT_EQ(Lines({"Ann", "bob"}), box.lines);
    Replace("Ann", "");
    EXPECT_EQ(Lines({"bob", "Ann"}), box.lines);
    Replace("bob", "");
    EXPECT_EQ(Lines({"Ann"}), box.lines);
    EXPECT_EQ("", LastWrite());
    EXPECT_EQ(0u, list.count);
}

TEST_F(NameListTest, TheTwentyFifthNameIsTakenAndTheTwentySixthRefused) {
    Load("");
    for (int i = 0; i < 25; ++i) ASSERT_TRUE(Add(("n" + std::to_string(10 + i)).c_str()));
    std::string before = LastWrite();
    size_t writes = store.writes.size();
    EXPECT_FALSE(Add("late"));
    ASSERT_EQ(1u, alerts.asked.size());
    EXPECT_EQ("This program will not support more than 25 names on one machine.",
              alerts.asked[0].text);
    EXPECT_EQ("Add Name", alerts.asked[0].caption);
    EXPECT_EQ(25u, list.count);
    EXPECT_EQ(writes, store.writes.size());
    EXPECT_EQ(before, LastWrite());
}

TEST_F(NameListTest, RefusalsLeaveTheListAndTheStoreAlone) {
    Load("Ann%");
    EXPECT_FALSE(Add("Ann"));
    EXPECT_FALSE(Add("Out-of-town"));
    EXPECT_FALSE(Add("50%"));
    EXPECT_FALSE(Replace("Ann", "A-nn"));
    ASSERT_EQ(4u, alerts.asked.size());
    EXPECT_EQ("That user already exists.", alerts.asked[0].text);
    EXPECT_EQ("Add User", alerts.asked[0].caption);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ("A name cannot contain \"%\" or \"-\".", alerts.asked[i].text);
        EXPECT_EQ("Add Name", alerts.asked[i].caption);
    }
    EXPECT_EQ(Lines({"Ann"}), Names());
    EXPECT_TRUE(store.writes.empty());
}

TEST_F(NameListTest, LongNamesAreCutAndEmptyNamesNeverListed) {
    Load("bob%");
    EXPECT_TRUE(Add("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ("abcdefghijklmnopqrs%bob%", LastWrite());
    // An empty name changes nothing but still counts as added.
    EXPECT_TRUE(Add(""));
    EXPECT_EQ("abcdefghijklmnopqrs%bob%", LastWrite());
    EXPECT_EQ(2u, list.count);
    EXPECT_TRUE(Replace("bob", "Robert_the_very_long_name"));
    EXPECT_EQ("abcdefghijklmnopqrs%Robert_the_very_lon%", LastWrite());
    // Renaming a name that is not there saves the list unchanged.
    EXPECT_TRUE(Replace("nobody", "x"));
    EXPECT_EQ("abcdefghijklmnopqrs%Robert_the_very_lon%", LastWrite());
    // The rename is exact: case-equal is not equal.
    EXPECT_TRUE(Replace("ROBERT_THE_VERY_LON", ""));
    EXPECT_EQ(2u, list.count);
}

TEST_F(NameListTest, DeletingByEmptyingRenamesOnlyTheFirstEqualName) {
    Load("Ann%Ann%bob%");
    EXPECT_TRUE(Replace("Ann", ""));
    EXPECT_EQ("Ann%bob%", LastWrite());
    EXPECT_EQ(Lines({"Ann", "bob"}), Names());
}

TEST(NamesText, NeverOverrunsItsBuffer) {
    NameList list{};
    for (int i = 0; i < 25; ++i) std::strcpy(list.slots[i], "abcdefghijklmnopqrs");
    list.count = 25;
    char text[kNamesTextCapacity];
    BuildNamesText(list, text, sizeof text);
    EXPECT_EQ(25u * 20u, std::strlen(text));
    char small[8];
    BuildNamesText(list, small, sizeof small);
    EXPECT_STREQ("abcdefg", small);
}

TEST(NameOrder, FoldsOnlyAsciiLettersAndPutsBeginningsFirst) {
    EXPECT_EQ(0, CompareListNames("ann", "ANN"));
    EXPECT_LT(CompareListNames("", "a"), 0);
    EXPECT_LT(CompareListNames("ann", "anna"), 0);
    EXPECT_LT(CompareListNames("_x", "A"), 0);
    EXPECT_GT(CompareListNames("\xC4ra", "zed"), 0);
    EXPECT_GT(CompareListNames("\xE4", "\xC4"), 0);
}

} // namespace
