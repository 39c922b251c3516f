#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "server/board/board_change.h"
#include "server/page/board_page.h"
#include "server/publish/publisher.h"
#include "tests/kit/board_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char kRefused[] = "A user name cannot contain \"-\" or be a single space.";
const char kFull[] = "This program will not support more than 150 users\n\r"
                     "on one server.  Start another server on a different port.";

class UserEdits : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearTable(table);
        settings = SettingsIn(dir, dir.File("board.htm"));
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (uint32_t i = 0; i < table.count; ++i) names.push_back(table.slots[i].name);
        return names;
    }
    std::string DataFile() const { return dir.File("tesmar.dat"); }
    std::string Page() const { return ReadBytes(dir.File("board.htm")); }

    void ExpectWarning(size_t index, const char *text, const char *caption) {
        ASSERT_LT(index, alerts.asked.size());
        EXPECT_EQ(text, alerts.asked[index].text);
        EXPECT_EQ(caption, alerts.asked[index].caption);
        EXPECT_EQ(AlertIcon::Warning, alerts.asked[index].icon);
        EXPECT_EQ(AlertButtons::Ok, alerts.asked[index].buttons);
    }

    // An edit as the User Manager makes it: the table's operation, then the
    // publication of its change when it was made.
    bool Add(const char *name, PublishResult *result = nullptr) {
        BoardChange change;
        bool added = AddUser(board, name, &change);
        if (added) Published(change, result);
        return added;
    }
    bool Rename(const char *old_name, const char *new_name, PublishResult *result = nullptr) {
        BoardChange change;
        bool renamed = RenameUser(board, old_name, new_name, &change);
        if (renamed) Published(change, result);
        return renamed;
    }
    void Published(const BoardChange &change, PublishResult *result) {
        PublishResult published = publisher.Publish(board, {change}, {});
        if (result) *result = published;
    }

    ScratchDir dir;
    ServerSettings settings;
    UserTable table;
    RecordingAlerts alerts;
    FixedClock clock{ClockTime{9, 5, 7}};
    BoardContext board{table, settings, alerts, clock};
    PlatformFiles files;
    Publisher publisher{files.reader, files.writer};
};

} // namespace

TEST_F(UserEdits, AddedUserIsInAtNoonInItsPlaceAndPublished) {
    ASSERT_TRUE(Add("Mia"));
    ASSERT_TRUE(Add("bob"));
    PublishResult published;
    published.save_failed = published.page_failed = true;
    ASSERT_TRUE(Add("Bob", &published)); // differs only in case: not a duplicate
    EXPECT_FALSE(published.Failed());
    EXPECT_TRUE(alerts.asked.empty());
    EXPECT_EQ((std::vector<std::string>{"bob", "Bob", "Mia"}), Names());
    const UserRecord &bob = table.slots[1];
    EXPECT_EQ(1, bob.in_out);
    EXPECT_STREQ("", bob.destination);
    EXPECT_STREQ("12:00", bob.time);
    EXPECT_STREQ("", bob.return_time);
    EXPECT_EQ("bob-1- -12:00- -\r\nBob-1- -12:00- -\r\nMia-1- -12:00- -\r\n",
              ReadBytes(DataFile()));
    std::vector<char> expected(kBoardPageCapacity);
    size_t size =
        FormatBoardPage(table, settings, ClockTime{9, 5, 7}, expected.data(), expected.size());
    EXPECT_EQ(std::string(expected.data(), size), Page());

    // A long name is cut to 19 characters, and then it is a duplicate.
    ASSERT_TRUE(Add("Christopher Columbus"));
    EXPECT_STREQ("Christopher Columbu", table.slots[2].name);
    EXPECT_FALSE(Add("Christopher Columbus Jr"));
    ExpectWarning(0, "That user already exists.", "Add User");
}

TEST_F(UserEdits, TheHundredAndFiftiethFitsAndDuplicatesAreToldFirst) {
    for (int i = 0; i < 149; ++i) ASSERT_TRUE(Add(("u" + std::to_string(i)).c_str()));
    ASSERT_TRUE(Add("last"));
    EXPECT_EQ(150u, table.count);
    ASSERT_TRUE(alerts.asked.empty());
    std::string file = ReadBytes(DataFile());

    EXPECT_FALSE(Add("one more"));
    ExpectWarning(0, kFull, "Add User");
    EXPECT_FALSE(Add("u7"));
    ExpectWarning(1, "That user already exists.", "Add User");
    EXPECT_FALSE(Add("a-b"));
    ExpectWarning(2, kRefused, "Add User");
    EXPECT_EQ(150u, table.count);
    EXPECT_EQ(file, ReadBytes(DataFile()));
}

TEST_F(UserEdits, NamesTheFileCannotHoldAreRefusedAndChangeNothing) {
    ASSERT_TRUE(Add("Ann"));
    std::string file = ReadBytes(DataFile());
    std::string page = Page();
    clock.time = ClockTime{10, 0, 0}; // a rewrite would show in the page

    PublishResult writes;
    EXPECT_FALSE(Add("Mary-Jane", &writes));
    EXPECT_FALSE(Add(" "));
    EXPECT_FALSE(Add("-"));
    EXPECT_FALSE(Rename("Ann", "Ann-Marie"));
    EXPECT_FALSE(Rename("Ann", " "));
    EXPECT_FALSE(Rename("Ann", "\t")); // a control byte is a space
    ASSERT_EQ(6u, alerts.asked.size());
    for (size_t i = 0; i < 3; ++i) ExpectWarning(i, kRefused, "Add User");
    for (size_t i = 3; i < 6; ++i) ExpectWarning(i, kRefused, "Edit User");
    EXPECT_EQ((std::vector<std::string>{"Ann"}), Names());
    EXPECT_EQ(file, ReadBytes(DataFile()));
    EXPECT_EQ(page, Page());

    // What the data file can hold: a dash cut off by the 19-character
    // limit, spaces within a name.
    EXPECT_TRUE(Add("Nineteen characters-x"));
    EXPECT_TRUE(Add("  "));
    EXPECT_TRUE(Rename("Ann", "Ann\tMarie"));
    EXPECT_EQ((std::vector<std::string>{"  ", "Ann Marie", "Nineteen characters"}), Names());
    EXPECT_EQ(6u, alerts.asked.size());
}

TEST_F(UserEdits, EmptyNameIsAddedAsNothingButStillPublished) {
    ASSERT_TRUE(Add("Ann"));
    std::filesystem::remove(DataFile());
    std::filesystem::remove(dir.File("board.htm"));
    EXPECT_TRUE(Add(""));
    EXPECT_EQ((std::vector<std::string>{"Ann"}), Names());
    EXPECT_EQ("Ann-1- -12:00- -\r\n", ReadBytes(DataFile()));
    EXPECT_FALSE(Page().empty());
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(UserEdits, RenameFindsTheExactNameAndDeleteIsTheEmptyName) {
    ASSERT_TRUE(Add("bob"));
    ASSERT_TRUE(Add("Bob"));
    ASSERT_TRUE(Add("Cy"));
    table.slots[1].in_out = 0;
    std::strcpy(table.slots[1].destination, "Lunch");

    EXPECT_TRUE(Rename("Bob", "Al")); // the second, not "bob"
    EXPECT_EQ((std::vector<std::string>{"Al", "bob", "Cy"}), Names());
    EXPECT_EQ(0, table.slots[0].in_out); // the rest of the record stays
    EXPECT_STREQ("Lunch", table.slots[0].destination);

    EXPECT_TRUE(Rename("Al", "Cy")); // no test against the others
    EXPECT_EQ((std::vector<std::string>{"bob", "Cy", "Cy"}), Names());

    // A name not on the board: nothing changes, but all is saved and
    // published again.
    std::filesystem::remove(DataFile());
    clock.time = ClockTime{0, 0, 0};
    EXPECT_TRUE(Rename("nobody", "Zed"));
    EXPECT_EQ((std::vector<std::string>{"bob", "Cy", "Cy"}), Names());
    EXPECT_TRUE(std::filesystem::exists(DataFile()));
    EXPECT_NE(std::string::npos, Page().find("<!-- 00:00.0 -->"));

    EXPECT_TRUE(Rename("Cy", ""));
    EXPECT_TRUE(Rename("Cy", ""));
    EXPECT_TRUE(Rename("bob", nullptr));
    EXPECT_EQ(0u, table.count);
    EXPECT_EQ(0u, std::filesystem::file_size(DataFile()));
    std::string page = Page();
    EXPECT_EQ(page.find("<TR>"), page.rfind("<TR>")); // the head's row only
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(UserEdits, AddKeepsRecordsReloadedBeyondCount) {
    ASSERT_TRUE(Add("Ann"));
    // Lines added to the file by hand while the server runs are loaded
    // into the slots after count.
    WriteBytes(DataFile(), "Ann-1- -12:00- -\r\nHand-0-Home-9:00- -\r\nMade-1- -8:00- -\r\n");
    ASSERT_EQ(BoardLoad::Loaded, ReadBoardFile(table, settings));
    ASSERT_EQ(1u, table.count);
    ASSERT_TRUE(Add("Zed"));
    EXPECT_EQ((std::vector<std::string>{"Ann", "Hand", "Made", "Zed"}), Names());
}

TEST_F(UserEdits, ReportWhatChanged) {
    BoardChange change;
    ASSERT_TRUE(AddUser(board, "Christopher Columbus", &change));
    EXPECT_EQ(BoardChange::Added, change.kind);
    EXPECT_EQ("Christopher Columbu", change.name);
    ASSERT_TRUE(RenameUser(board, "Christopher Columbu", "Chris", &change));
    EXPECT_EQ(BoardChange::Renamed, change.kind);
    EXPECT_EQ("Chris", change.name);
    EXPECT_EQ("Christopher Columbu", change.old_name);
    ASSERT_TRUE(RenameUser(board, "Chris", "", &change));
    EXPECT_EQ(BoardChange::Deleted, change.kind);
    EXPECT_EQ("Chris", change.name);
    EXPECT_EQ("", change.old_name);
    EXPECT_EQ(0u, table.count);
    // The table's operations write nothing: publishing is their caller's.
    EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST_F(UserEdits, DailyResetSignsOutOnlyTheMembersWhoAreIn) {
    Put(table, 0, "Ann", 1, "", "9:00am", "");
    Put(table, 1, "Bob", 0, "Holiday", "5:00pm", "Monday");
    Put(table, 2, "Cy", 1, " ", "8:15am", " ");
    table.count = 3;
    std::vector<int> changed = SignEveryoneOut(table, "6:00pm");
    EXPECT_EQ(changed, (std::vector<int>{0, 2}));
    for (int slot : {0, 2}) {
        EXPECT_EQ(table.slots[slot].in_out, 0);
        EXPECT_STREQ(table.slots[slot].time, "6:00pm");
        EXPECT_STREQ(table.slots[slot].destination, "");
        EXPECT_STREQ(table.slots[slot].return_time, "");
    }
    EXPECT_STREQ(table.slots[1].destination, "Holiday");
    EXPECT_STREQ(table.slots[1].time, "5:00pm");
    EXPECT_STREQ(table.slots[1].return_time, "Monday");
}
