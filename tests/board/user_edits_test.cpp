#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "server/page/board_page.h"
#include "tests/board/board_test_support.h"

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

    ScratchDir dir;
    ServerSettings settings;
    UserTable table;
    AlertsRecorder alerts;
    FixedClock clock{ClockTime{9, 5, 7}};
    BoardContext board{table, settings, alerts, clock};
};

} // namespace

TEST_F(UserEdits, AddedUserIsInAtNoonInItsPlaceAndPublished) {
    ASSERT_EQ(1, AddUser(board, "Mia"));
    ASSERT_EQ(1, AddUser(board, "bob"));
    BoardWrites writes;
    writes.saved = writes.page_written = false;
    ASSERT_EQ(1, AddUser(board, "Bob", &writes)); // differs only in case: not a duplicate
    EXPECT_TRUE(writes.saved);
    EXPECT_TRUE(writes.page_written);
    EXPECT_TRUE(alerts.asked.empty());
    EXPECT_EQ((std::vector<std::string>{"bob", "Bob", "Mia"}), Names());
    const UserRecord &bob = table.slots[1];
    EXPECT_EQ(1, bob.in_out);
    EXPECT_STREQ("", bob.destination);
    EXPECT_STREQ("12:00", bob.time);
    EXPECT_STREQ("", bob.return_time);
    EXPECT_EQ("bob-1- -12:00- -\r\nBob-1- -12:00- -\r\nMia-1- -12:00- -\r\n", ReadBytes(DataFile()));
    std::vector<char> expected(kBoardPageCapacity);
    size_t size = FormatBoardPage(table, settings, ClockTime{9, 5, 7}, expected.data(), expected.size());
    EXPECT_EQ(std::string(expected.data(), size), Page());

    // A long name is cut to 19 characters, and then it is a duplicate.
    ASSERT_EQ(1, AddUser(board, "Christopher Columbus"));
    EXPECT_STREQ("Christopher Columbu", table.slots[2].name);
    EXPECT_EQ(0, AddUser(board, "Christopher Columbus Jr"));
    ExpectWarning(0, "That user already exists.", "Add User");
}

TEST_F(UserEdits, TheHundredAndFiftiethFitsAndDuplicatesAreToldFirst) {
    for (int i = 0; i < 149; ++i) ASSERT_EQ(1, AddUser(board, ("u" + std::to_string(i)).c_str()));
    ASSERT_EQ(1, AddUser(board, "last"));
    EXPECT_EQ(150u, table.count);
    ASSERT_TRUE(alerts.asked.empty());
    std::string file = ReadBytes(DataFile());

    EXPECT_EQ(0, AddUser(board, "one more"));
    ExpectWarning(0, kFull, "Add User");
    EXPECT_EQ(0, AddUser(board, "u7"));
    ExpectWarning(1, "That user already exists.", "Add User");
    EXPECT_EQ(0, AddUser(board, "a-b"));
    ExpectWarning(2, kRefused, "Add User");
    EXPECT_EQ(150u, table.count);
    EXPECT_EQ(file, ReadBytes(DataFile()));
}

TEST_F(UserEdits, NamesTheFileCannotHoldAreRefusedAndChangeNothing) {
    ASSERT_EQ(1, AddUser(board, "Ann"));
    std::string file = ReadBytes(DataFile());
    std::string page = Page();
    clock.time = ClockTime{10, 0, 0}; // a rewrite would show in the page

    BoardWrites writes;
    EXPECT_EQ(0, AddUser(board, "Mary-Jane", &writes));
    EXPECT_EQ(0, AddUser(board, " "));
    EXPECT_EQ(0, AddUser(board, "-"));
    EXPECT_EQ(0, RenameUser(board, "Ann", "Ann-Marie"));
    EXPECT_EQ(0, RenameUser(board, "Ann", " "));
    ASSERT_EQ(5u, alerts.asked.size());
    for (size_t i = 0; i < 3; ++i) ExpectWarning(i, kRefused, "Add User");
    for (size_t i = 3; i < 5; ++i) ExpectWarning(i, kRefused, "Edit User");
    EXPECT_EQ((std::vector<std::string>{"Ann"}), Names());
    EXPECT_EQ(file, ReadBytes(DataFile()));
    EXPECT_EQ(page, Page());

    // What the data file can hold: a dash cut off by the 19-character
    // limit, spaces within a name.
    EXPECT_EQ(1, AddUser(board, "Nineteen characters-x"));
    EXPECT_EQ(1, AddUser(board, "  "));
    EXPECT_EQ(1, RenameUser(board, "Ann", "Ann Marie"));
    EXPECT_EQ((std::vector<std::string>{"  ", "Ann Marie", "Nineteen characters"}), Names());
    EXPECT_EQ(5u, alerts.asked.size());
}

TEST_F(UserEdits, EmptyNameIsAddedAsNothingButStillPublished) {
    ASSERT_EQ(1, AddUser(board, "Ann"));
    std::filesystem::remove(DataFile());
    std::filesystem::remove(dir.File("board.htm"));
    EXPECT_EQ(1, AddUser(board, ""));
    EXPECT_EQ((std::vector<std::string>{"Ann"}), Names());
    EXPECT_EQ("Ann-1- -12:00- -\r\n", ReadBytes(DataFile()));
    EXPECT_FALSE(Page().empty());
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(UserEdits, RenameFindsTheExactNameAndDeleteIsTheEmptyName) {
    ASSERT_EQ(1, AddUser(board, "bob"));
    ASSERT_EQ(1, AddUser(board, "Bob"));
    ASSERT_EQ(1, AddUser(board, "Cy"));
    table.slots[1].in_out = 0;
    std::strcpy(table.slots[1].destination, "Lunch");

    EXPECT_EQ(1, RenameUser(board, "Bob", "Al")); // the second, not "bob"
    EXPECT_EQ((std::vector<std::string>{"Al", "bob", "Cy"}), Names());
    EXPECT_EQ(0, table.slots[0].in_out); // the rest of the record stays
    EXPECT_STREQ("Lunch", table.slots[0].destination);

    EXPECT_EQ(1, RenameUser(board, "Al", "Cy")); // no test against the others
    EXPECT_EQ((std::vector<std::string>{"bob", "Cy", "Cy"}), Names());

    // A name not on the board: nothing changes, but all is saved and
    // published again.
    std::filesystem::remove(DataFile());
    clock.time = ClockTime{0, 0, 0};
    EXPECT_EQ(1, RenameUser(board, "nobody", "Zed"));
    EXPECT_EQ((std::vector<std::string>{"bob", "Cy", "Cy"}), Names());
    EXPECT_TRUE(std::filesystem::exists(DataFile()));
    EXPECT_NE(std::string::npos, Page().find("<!-- 00:00.0 -->"));

    EXPECT_EQ(1, RenameUser(board, "Cy", ""));
    EXPECT_EQ(1, RenameUser(board, "Cy", ""));
    EXPECT_EQ(1, RenameUser(board, "bob", nullptr));
    EXPECT_EQ(0u, table.count);
    EXPECT_EQ(0u, std::filesystem::file_size(DataFile()));
    std::string page = Page();
    EXPECT_EQ(page.find("<TR>"), page.rfind("<TR>")); // the head's row only
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(UserEdits, AddKeepsRecordsReloadedBeyondCount) {
    ASSERT_EQ(1, AddUser(board, "Ann"));
    // Lines added to the file by hand while the server runs are loaded
    // into the slots after count.
    WriteBytes(DataFile(), "Ann-1- -12:00- -\r\nHand-0-Home-9:00- -\r\nMade-1- -8:00- -\r\n");
    ASSERT_EQ(1, LoadBoard(table, settings));
    ASSERT_EQ(1u, table.count);
    ASSERT_EQ(1, AddUser(board, "Zed"));
    EXPECT_EQ((std::vector<std::string>{"Ann", "Hand", "Made", "Zed"}), Names());
}

TEST_F(UserEdits, ReportsWhatBecameOfTheFiles) {
    BoardWrites writes;
    // No page configured: nothing is written and nothing is amiss.
    settings.HTMLFile[0] = '\0';
    ASSERT_EQ(1, AddUser(board, "Ann", &writes));
    EXPECT_TRUE(writes.saved);
    EXPECT_TRUE(writes.page_written);
    EXPECT_EQ(std::vector<std::string>{"tesmar.dat"}, FilesIn(dir.path()));

    // The page set to the data file itself: refused, the data file kept.
    std::strcpy(settings.HTMLFile, DataFile().c_str());
    ASSERT_EQ(1, AddUser(board, "Bob", &writes));
    EXPECT_TRUE(writes.saved);
    EXPECT_FALSE(writes.page_written);
    EXPECT_EQ("Ann-1- -12:00- -\r\nBob-1- -12:00- -\r\n", ReadBytes(DataFile()));

    // The data file cannot be replaced: the page still is.
    std::strcpy(settings.HTMLFile, dir.File("board.htm").c_str());
    std::filesystem::remove(DataFile());
    std::filesystem::create_directory(DataFile());
    ASSERT_EQ(1, RenameUser(board, "Bob", "Rob", &writes));
    EXPECT_FALSE(writes.saved);
    EXPECT_TRUE(writes.page_written);
    EXPECT_NE(std::string::npos, Page().find(">Rob<"));
    EXPECT_TRUE(std::filesystem::is_directory(DataFile()));
    EXPECT_EQ((std::vector<std::string>{"board.htm", "tesmar.dat"}), FilesIn(dir.path()));
}
