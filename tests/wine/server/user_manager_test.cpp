#include <winsock2.h>

#include <algorithm>
#include <string>
#include <vector>

#include "server/admin/admin_members.h"
#include "server/board/board_change.h"
#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/recording_connection.h"
#include "server/publish/batch_dispatch.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/tesmar_ids.h"
#include "server/shell/server_state.h"
#include "tests/wine/server/dialog_fixture.h"
#include "tests/wine/server/dialog_script.h"

namespace {

const char kManager[] = "Tesmar User Manager";
const char kName[] = "Tesmar User";

using Names = std::vector<std::string>;

class UserManagerTest : public DialogTest {
  protected:
    // Steps that add a user through the user name dialog.
    static void Add(DialogScript &script, const std::string &name) {
        script.Then(kManager, [](HWND dialog) { Press(dialog, IDC_USERS_ADD); })
            .Then(kName, [name](HWND dialog) {
                EXPECT_EQ(GetText(dialog, 1006), "");
                SetText(dialog, 1006, name.c_str());
                Press(dialog, IDOK);
            });
    }
    // Steps that select old and edit it to new_name (Cancel when cancel).
    static void Edit(DialogScript &script, const std::string &old_name, const std::string &new_name,
                     bool cancel = false) {
        script
            .Then(kManager,
                  [old_name](HWND dialog) {
                      EXPECT_TRUE(SelectEntry(dialog, IDC_USERS_LIST, old_name.c_str()))
                          << old_name;
                      Press(dialog, IDC_USERS_EDIT);
                  })
            .Then(kName, [=](HWND dialog) {
                EXPECT_EQ(GetText(dialog, 1006), old_name);
                SetText(dialog, 1006, new_name.c_str());
                Press(dialog, cancel ? IDCANCEL : IDOK);
            });
    }
    static void Delete(DialogScript &script, const std::string &name) {
        script.Then(kManager, [name](HWND dialog) {
            EXPECT_TRUE(SelectEntry(dialog, IDC_USERS_LIST, name.c_str())) << name;
            Press(dialog, IDC_USERS_DELETE);
        });
    }
    // A step that notes the list as it stands.
    static void Look(DialogScript &script, Names &seen) {
        script.Then(kManager, [&seen](HWND dialog) { seen = ListEntries(dialog, IDC_USERS_LIST); });
    }
    void Play(DialogScript &script) {
        script.Then(kManager, [](HWND dialog) { Press(dialog, IDOK); });
        EXPECT_EQ(script.Run([&] { RunUserManager(server, nullptr); }), script.size());
    }
    bool FileHas(const std::string &name) {
        return DataFile().find(name + "-") != std::string::npos;
    }
    bool PageHas(const std::string &name) { return Page().find(name) != std::string::npos; }
};

TEST_F(UserManagerTest, OpensWithTheDataFileAndAddsEditsAndDeletes) {
    SeedBoard({"Carol", "Ann"});
    // A user added to the data file behind the server's back is listed:
    // the list is read from the file when the manager opens.
    char path[400];
    BuildDataFilePath(server.settings, path, sizeof path);
    WriteBytes(path, DataFile() + "Dave-1- -12:00- -\r\n");
    ClearTable(server.table);
    server.table.count = 3;

    Names opened, added, edited, kept, deleted;
    DialogScript script;
    Look(script, opened);
    Add(script, "Bob");
    Look(script, added);
    Edit(script, "Carol", "Cathy");
    Look(script, edited);
    Delete(script, "Ann"); // answered No
    Look(script, kept);
    Delete(script, "Dave"); // answered Yes
    Look(script, deleted);
    alerts.answers = {AlertAnswer::No, AlertAnswer::Yes};
    Play(script);

    EXPECT_EQ(opened, (Names{"Ann", "Carol", "Dave"}));
    EXPECT_EQ(added, (Names{"Ann", "Bob", "Carol", "Dave"}));
    EXPECT_EQ(edited, (Names{"Ann", "Bob", "Cathy", "Dave"}));
    EXPECT_EQ(kept, edited);
    EXPECT_EQ(deleted, (Names{"Ann", "Bob", "Cathy"}));
    EXPECT_EQ(BoardNames(), deleted);

    ASSERT_EQ(alerts.asked.size(), 2u);
    EXPECT_EQ(alerts.asked[0].text, "Delete user: Ann");
    EXPECT_EQ(alerts.asked[0].caption, "Tesmar Delete User");
    EXPECT_EQ(alerts.asked[0].icon, AlertIcon::Question);
    EXPECT_EQ(alerts.asked[0].buttons, AlertButtons::YesNo);
    EXPECT_EQ(alerts.asked[1].text, "Delete user: Dave");

    // Each change reached the data file and the page at once.
    EXPECT_TRUE(FileHas("Ann") && FileHas("Bob") && FileHas("Cathy"));
    EXPECT_FALSE(FileHas("Carol") || FileHas("Dave"));
    EXPECT_TRUE(PageHas("Bob") && PageHas("Cathy"));
    EXPECT_FALSE(PageHas("Dave"));
}

TEST_F(UserManagerTest, LongNameIsCutTo19AndFoundAgainByEditAndDelete) {
    const std::string typed = "Bartholomew Fitzwilliamson"; // 26 characters
    const std::string cut = typed.substr(0, 19);
    Names after_add, after_edit;
    DialogScript script;
    Add(script, typed);
    Look(script, after_add);
    Edit(script, cut, typed + "x"); // cut again to the same 19 characters
    Look(script, after_edit);
    Delete(script, cut);
    alerts.answers = {AlertAnswer::Yes};
    Play(script);

    EXPECT_EQ(after_add, Names{cut});
    EXPECT_EQ(after_edit, Names{cut});
    EXPECT_TRUE(BoardNames().empty());
    EXPECT_FALSE(FileHas(cut));
}

TEST_F(UserManagerTest, RefusedAndEmptyNamesLeaveTheListAsTheBoardHoldsIt) {
    SeedBoard({"Ann", "Bob"});
    Names after_duplicate, after_cancel, after_refused, after_emptied, after_same;
    DialogScript script;
    Add(script, "Ann"); // refused by the board: it exists
    Look(script, after_duplicate);
    script.Then(kManager, [](HWND dialog) { Press(dialog, IDC_USERS_ADD); })
        .Then(kName, [](HWND dialog) {
            SetText(dialog, 1006, "typed, then cancelled");
            Press(dialog, IDCANCEL);
        });
    Look(script, after_cancel);
    Edit(script, "Ann", "Ann-Marie"); // a name the data file cannot hold
    Look(script, after_refused);
    Edit(script, "Bob", "Robert", /*cancel=*/true); // renamed to itself
    Look(script, after_same);
    Edit(script, "Bob", ""); // an emptied name removes the user, unasked
    Look(script, after_emptied);
    Play(script);

    EXPECT_EQ(after_duplicate, (Names{"Ann", "Bob"}));
    EXPECT_EQ(after_cancel, (Names{"Ann", "Bob"}));
    EXPECT_EQ(after_refused, (Names{"Ann", "Bob"}));
    EXPECT_EQ(after_same, (Names{"Ann", "Bob"}));
    EXPECT_EQ(after_emptied, Names{"Ann"});
    EXPECT_EQ(BoardNames(), Names{"Ann"});
    // Only the board's own two refusals were said; no Delete question.
    ASSERT_EQ(alerts.asked.size(), 2u);
    for (const AskedAlert &alert : alerts.asked) EXPECT_NE(alert.caption, "Tesmar Delete User");
}

TEST_F(UserManagerTest, RenameToAnExistingNameIsAcceptedAndListedTwice) {
    SeedBoard({"Ann", "Bob"});
    Names after;
    DialogScript script;
    Edit(script, "Bob", "Ann");
    Look(script, after);
    // Double-click edits too; the selection is the second "Ann".
    script
        .Then(kManager,
              [](HWND dialog) {
                  SendDlgItemMessageA(dialog, IDC_USERS_LIST, LB_SETCURSEL, 1, 0);
                  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_USERS_LIST, LBN_DBLCLK),
                               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_USERS_LIST)));
              })
        .Then(kName, [](HWND dialog) {
            SetText(dialog, 1006, "ann");
            Press(dialog, IDOK);
        });
    Names after_double_click;
    Look(script, after_double_click);
    Play(script);

    EXPECT_EQ(after, (Names{"Ann", "Ann"}));
    EXPECT_EQ(after_double_click.size(), 2u);
    Names board = BoardNames();
    std::sort(board.begin(), board.end());
    std::sort(after_double_click.begin(), after_double_click.end());
    EXPECT_EQ(board, (Names{"Ann", "ann"}));
    EXPECT_EQ(after_double_click, board);
}

TEST_F(UserManagerTest, EditAndDeleteWithoutSelectionDoNothing) {
    SeedBoard({"Ann"});
    Names after;
    DialogScript script;
    script.Then(kManager, [](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_USERS_LIST, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Press(dialog, IDC_USERS_EDIT);
        Press(dialog, IDC_USERS_DELETE);
    });
    Look(script, after);
    Play(script);
    EXPECT_EQ(after, Names{"Ann"});
    EXPECT_EQ(BoardNames(), Names{"Ann"});
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(UserManagerTest, EscAndTheCloseBoxDoNotLeaveOnlyOkDoes) {
    bool open_after = false;
    DialogScript script;
    script.Then(kManager, [](HWND dialog) {
        Press(dialog, IDCANCEL);
        PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    });
    script.Then(kManager, [&](HWND dialog) { open_after = IsWindowVisible(dialog) != 0; });
    Play(script);
    EXPECT_TRUE(open_after);
}

TEST_F(UserManagerTest, RequestServedWhileOpenIsKeptByTheNextAdd) {
    SeedBoard({"Ann", "Bob"});
    RecordingConnection connection;
    DialogScript script;
    // A sign-out arriving between two of the manager's messages.
    script.Then(kManager, [&](HWND) {
        BoardContext board = server.Board();
        DispatchRequest(board, server.publisher, "#oBob-10:15-Lunch-11:30\n\r", connection);
    });
    Add(script, "Cy");
    Play(script);

    EXPECT_EQ(connection.Sent(), "0\n\r");
    EXPECT_EQ(BoardNames(), (Names{"Ann", "Bob", "Cy"}));
    std::string file = DataFile();
    EXPECT_NE(file.find("Lunch"), std::string::npos) << file;
    EXPECT_NE(Page().find("Lunch"), std::string::npos);
}

TEST_F(UserManagerTest, AnEditFromABrowserShowsInTheOpenList) {
    SeedBoard({"Ann", "Bob"});
    Names seen;
    DialogScript script;
    script.Then(kManager, [&](HWND) {
        EXPECT_EQ(
            EditMembers(server.admin_host, "{\"add\": \"Web Person\"}", "10.0.0.2", 1252).status,
            200);
    });
    Look(script, seen);
    Play(script);
    EXPECT_EQ(seen, (Names{"Ann", "Bob", "Web Person"}));
    EXPECT_TRUE(FileHas("Web Person"));
}

} // namespace
