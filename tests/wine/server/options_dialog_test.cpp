#include <winsock2.h>

#include <string>

#include "server/board/board_change.h"
#include "common/fixed_text.h"
#include "server/board/user_table.h"
#include "server/page/page_defaults.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/tesmar_ids.h"
#include "server/shell/server_state.h"
#include "tests/wine/server/dialog_fixture.h"
#include "tests/wine/server/dialog_script.h"

namespace {

const char kOptions[] = "Tesmar Options";
const char kHtml[] = "KVT Tesmar HTML";
const char kPortMessage[] = "You have changed the port. You will\n\r"
                            "have to restart this program for it\n\r"
                            " to take effect.";

class OptionsDialogTest : public DialogTest {
  protected:
    // Opens Options, lets fill set its fields, then presses button.
    void Confirm(const std::function<void(HWND)> &fill, int button) {
        DialogScript script;
        script.Then(kOptions, [&](HWND dialog) {
            fill(dialog);
            Press(dialog, button);
        });
        EXPECT_EQ(script.Run([&] { RunOptionsDialog(server, nullptr); }), script.size());
    }
};

TEST_F(OptionsDialogTest, ShowsTheSettingsAndStoresAllThreeOnOkWithoutPortMessage) {
    std::string shown_port, shown_file;
    UINT history = 99;
    Confirm(
        [&](HWND dialog) {
            shown_port = GetText(dialog, IDC_OPTIONS_PORT);
            shown_file = GetText(dialog, IDC_OPTIONS_HTML_FILE);
            history = IsDlgButtonChecked(dialog, IDC_OPTIONS_HISTORY);
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_OPTIONS_HISTORY)));
            SetText(dialog, IDC_OPTIONS_HTML_FILE, "C:\\Inetpub\\board.htm");
        },
        IDOK);
    EXPECT_EQ(shown_port, "223");
    EXPECT_EQ(shown_file, dir + "\\board.html");
    EXPECT_EQ(history, static_cast<UINT>(BST_CHECKED));

    EXPECT_STREQ(server.settings.HTMLFile, "C:\\Inetpub\\board.htm");
    EXPECT_EQ(Stored("Port"), "223");
    EXPECT_EQ(Stored("HTMLFile"), "C:\\Inetpub\\board.htm");
    // A server whose History was TRUE stores TRUE again.
    EXPECT_EQ(Stored("History"), "TRUE");
    EXPECT_TRUE(server.settings.History);
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(OptionsDialogTest, PortTextThatDiffersOnlyInFormBringsTheRestartMessage) {
    Confirm([](HWND dialog) { SetText(dialog, IDC_OPTIONS_PORT, "0223"); }, IDOK);
    EXPECT_STREQ(server.settings.Port, "0223");
    EXPECT_EQ(Stored("Port"), "0223");
    ASSERT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(alerts.asked[0].text, kPortMessage);
    EXPECT_EQ(alerts.asked[0].caption, "Options");
    EXPECT_EQ(alerts.asked[0].icon, AlertIcon::Warning);

    // The copy is taken afresh at each opening: OK again says nothing.
    alerts.asked.clear();
    Confirm([](HWND) {}, IDOK);
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(OptionsDialogTest, OkStoresAsTypedCutToTheFieldsAndFalseWithoutHistory) {
    server.settings.History = false;
    std::string long_path(400, 'p');
    Confirm(
        [&](HWND dialog) {
            SetText(dialog, IDC_OPTIONS_PORT, "not a port at all");
            SetText(dialog, IDC_OPTIONS_HTML_FILE, long_path.c_str());
        },
        IDOK);
    EXPECT_STREQ(server.settings.Port, "not a port ");
    EXPECT_EQ(Stored("Port"), "not a port ");
    EXPECT_EQ(std::string(server.settings.HTMLFile), long_path.substr(0, 349));
    EXPECT_EQ(Stored("HTMLFile"), long_path.substr(0, 349));
    EXPECT_EQ(Stored("History"), "FALSE");
    EXPECT_FALSE(server.settings.History);
}

TEST_F(OptionsDialogTest, CancelStoresNothing) {
    Confirm(
        [](HWND dialog) {
            SetText(dialog, IDC_OPTIONS_PORT, "8080");
            SetText(dialog, IDC_OPTIONS_HTML_FILE, "C:\\elsewhere.htm");
        },
        IDCANCEL);
    EXPECT_STREQ(server.settings.Port, "223");
    EXPECT_EQ(std::string(server.settings.HTMLFile), dir + "\\board.html");
    EXPECT_EQ(Stored("Port"), "<missing>");
    EXPECT_EQ(Stored("HTMLFile"), "<missing>");
    EXPECT_EQ(Stored("History"), "<missing>");
    EXPECT_TRUE(alerts.asked.empty());
}

TEST_F(OptionsDialogTest, SettingsTheStoreRefusesAreSaidOnceAndHoldInMemory) {
    MakeStoreReadOnly();
    Confirm([](HWND dialog) { SetText(dialog, IDC_OPTIONS_PORT, "224"); }, IDOK);
    EXPECT_STREQ(server.settings.Port, "224");
    EXPECT_EQ(Stored("Port"), "<missing>");
    ASSERT_EQ(alerts.asked.size(), 2u);
    EXPECT_EQ(alerts.asked[0].text, kStoreFailedText);
    EXPECT_EQ(alerts.asked[0].caption, "Tesmar Options");
    EXPECT_EQ(alerts.asked[0].icon, AlertIcon::Warning);
    EXPECT_EQ(alerts.asked[1].text, kPortMessage);

    // The HTML editor says it too, and its text still holds in memory.
    alerts.asked.clear();
    DialogScript script;
    script.Then(kOptions, [](HWND dialog) { Press(dialog, IDC_OPTIONS_FOOTER); })
        .Then(kHtml,
              [](HWND dialog) {
                  SetText(dialog, IDC_HTML_TEXT, "</body>");
                  Press(dialog, IDOK);
              })
        .Then(kOptions, [](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_EQ(script.Run([&] { RunOptionsDialog(server, nullptr); }), script.size());
    EXPECT_STREQ(server.settings.Footer, "</body>");
    ASSERT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(alerts.asked[0].text, kStoreFailedText);
}

TEST_F(OptionsDialogTest, HeaderIsStoredAtOnceButReachesThePageWithTheNextBoardChange) {
    SeedBoard({"Ann"});
    std::string page_before = Page();
    const char typed[] = "<h1>Staff</h1>\r\n<p>today</p>";
    DialogScript script;
    script.Then(kOptions, [](HWND dialog) { Press(dialog, IDC_OPTIONS_HEADER); })
        .Then(kHtml,
              [&](HWND dialog) {
                  EXPECT_EQ(GetText(dialog, IDC_HTML_TEXT), kDefaultHeader);
                  SetText(dialog, IDC_HTML_TEXT, typed);
                  Press(dialog, IDOK);
              })
        .Then(kOptions, [](HWND dialog) { Press(dialog, IDC_OPTIONS_FOOTER); })
        .Then(kHtml,
              [](HWND dialog) {
                  EXPECT_EQ(GetText(dialog, IDC_HTML_TEXT), kDefaultFooter);
                  SetText(dialog, IDC_HTML_TEXT, "dropped");
                  Press(dialog, IDCANCEL);
              })
        .Then(kOptions, [](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_EQ(script.Run([&] { RunOptionsDialog(server, nullptr); }), script.size());

    EXPECT_STREQ(server.settings.Header, typed);
    EXPECT_EQ(Stored("Header"), typed);
    EXPECT_STREQ(server.settings.Footer, kDefaultFooter);
    EXPECT_EQ(Stored("Footer"), "<missing>");
    // Cancel in Options does not take back what the editor stored.
    EXPECT_EQ(Stored("Port"), "<missing>");
    EXPECT_EQ(Page(), page_before);

    BoardContext board = server.Board();
    BoardChange change;
    ASSERT_EQ(AddUser(board, "Bob", &change), 1);
    server.PublishEdit(change);
    EXPECT_NE(Page().find(typed), std::string::npos);
}

TEST_F(OptionsDialogTest, FooterTextIsCutTo999Characters) {
    std::string typed(1200, 'f');
    DialogScript script;
    script.Then(kOptions, [](HWND dialog) { Press(dialog, IDC_OPTIONS_FOOTER); })
        .Then(kHtml,
              [&](HWND dialog) {
                  SetText(dialog, IDC_HTML_TEXT, typed.c_str());
                  Press(dialog, IDOK);
              })
        .Then(kOptions, [](HWND dialog) { Press(dialog, IDOK); });
    EXPECT_EQ(script.Run([&] { RunOptionsDialog(server, nullptr); }), script.size());
    EXPECT_EQ(std::string(server.settings.Footer), typed.substr(0, 999));
    EXPECT_EQ(Stored("Footer"), typed.substr(0, 999));
}

// Types a path into the save-file dialog's file name field and confirms.
void ChooseInFileDialog(HWND chooser, const std::string &path) {
    // The file name field: a combo box in the explorer-style dialog, an
    // edit in the older one.
    for (int id : {0x47c, 0x480}) {
        HWND field = GetDlgItem(chooser, id);
        if (field) SetWindowTextA(field, path.c_str());
    }
    Press(chooser, IDOK);
}

TEST_F(OptionsDialogTest, ChosenPageFileGoesIntoTheFieldOnlyUntilOk) {
    const char kChooser[] = "Name of the Wenlo HTML file";
    const std::string original = server.settings.HTMLFile;
    const std::string chosen = dir + "\\chosen.html";
    std::string field_after_cancel, field_after_choice, settings_during_choice;
    DialogScript script;
    script.Then(kOptions, [](HWND dialog) { Press(dialog, IDC_OPTIONS_BROWSE); })
        .Then(kChooser, [](HWND chooser) { Press(chooser, IDCANCEL); })
        .Then(kOptions,
              [&](HWND dialog) {
                  field_after_cancel = GetText(dialog, IDC_OPTIONS_HTML_FILE);
                  Press(dialog, IDC_OPTIONS_BROWSE);
              })
        .Then(kChooser, [&](HWND chooser) { ChooseInFileDialog(chooser, chosen); })
        .Then(kOptions, [&](HWND dialog) {
            field_after_choice = GetText(dialog, IDC_OPTIONS_HTML_FILE);
            settings_during_choice = server.settings.HTMLFile;
            Press(dialog, IDCANCEL);
        });
    EXPECT_EQ(script.Run([&] { RunOptionsDialog(server, nullptr); }), script.size());
    EXPECT_EQ(field_after_cancel, original);
    EXPECT_EQ(field_after_choice, chosen);
    EXPECT_EQ(settings_during_choice, original);
    // Cancel in Options drops the choice.
    EXPECT_EQ(std::string(server.settings.HTMLFile), original);
    EXPECT_EQ(Stored("HTMLFile"), "<missing>");

    DialogScript keep;
    keep.Then(kOptions, [](HWND dialog) { Press(dialog, IDC_OPTIONS_BROWSE); })
        .Then(kChooser, [&](HWND chooser) { ChooseInFileDialog(chooser, chosen); })
        .Then(kOptions, [](HWND dialog) { Press(dialog, IDOK); });
    EXPECT_EQ(keep.Run([&] { RunOptionsDialog(server, nullptr); }), keep.size());
    EXPECT_EQ(std::string(server.settings.HTMLFile), chosen);
    EXPECT_EQ(Stored("HTMLFile"), chosen);
}

TEST_F(OptionsDialogTest, TheFileChooserIsOwnedByOptionsAndDisablesIt) {
    HWND options = nullptr, owner = nullptr;
    BOOL enabled = TRUE;
    DialogScript script;
    script
        .Then(kOptions,
              [&](HWND dialog) {
                  options = dialog;
                  Press(dialog, IDC_OPTIONS_BROWSE);
              })
        .Then("Name of the Wenlo HTML file",
              [&](HWND chooser) {
                  owner = GetWindow(chooser, GW_OWNER);
                  enabled = IsWindowEnabled(options);
                  Press(chooser, IDCANCEL);
              })
        .Then(kOptions, [](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_EQ(script.Run([&] { RunOptionsDialog(server, nullptr); }), script.size());
    EXPECT_EQ(owner, options);
    EXPECT_FALSE(enabled);
}

} // namespace
