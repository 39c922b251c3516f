#include <winsock2.h>

#include <string>

#include "common/fixed_text.h"
#include "common/key_hash.h"
#include "server/reset/daily_reset.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/tesmar_ids.h"
#include "server/shell/server_state.h"
#include "tests/wine/server/dialog_fixture.h"
#include "tests/wine/server/dialog_script.h"

namespace {

const char kBoardOptions[] = "Tesmar Board Options";

TEST_F(DialogTest, BoardOptionsStoresAResetTimeRefusesWhatIsNoTimeAndArmsTheNextReset) {
    CopyCut(server.settings.ResetTime, "18:00");
    std::string shown;
    bool open_after_refusal = false;
    DialogScript script;
    script
        .Then(kBoardOptions,
              [&](HWND dialog) {
                  shown = GetText(dialog, IDC_BOARD_RESET_TIME);
                  SetText(dialog, IDC_BOARD_RESET_TIME, "24:00");
                  Press(dialog, IDOK);
              })
        .Then(kBoardOptions, [&](HWND dialog) {
            open_after_refusal = true;
            SetText(dialog, IDC_BOARD_RESET_TIME, "7:30");
            Press(dialog, IDOK);
        });
    EXPECT_EQ(script.Run([&] { RunBoardOptionsDialog(server, nullptr); }), script.size());
    EXPECT_EQ(shown, "18:00");
    EXPECT_TRUE(open_after_refusal);
    ASSERT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(alerts.asked[0].text, kResetTimeRefusedText);
    EXPECT_STREQ(server.settings.ResetTime, "7:30");
    EXPECT_EQ(Stored("ResetTime"), "7:30");
    // The new time's first reset is the next 7:30, not one already past.
    char today[16];
    FormatDate(LatestResetDate(clock.Now(), 7, 30), today, sizeof today);
    EXPECT_EQ(ReadBytes(dir + "\\lastreset.txt", "<missing>"), std::string(today) + "\r\n");

    // Emptied: never. Cancel keeps what is there.
    DialogScript never;
    never.Then(kBoardOptions, [](HWND dialog) {
        SetText(dialog, IDC_BOARD_RESET_TIME, "");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(never.Run([&] { RunBoardOptionsDialog(server, nullptr); }), never.size());
    EXPECT_EQ(Stored("ResetTime"), "");
    DialogScript cancel;
    cancel.Then(kBoardOptions, [](HWND dialog) {
        SetText(dialog, IDC_BOARD_RESET_TIME, "9:00");
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(cancel.Run([&] { RunBoardOptionsDialog(server, nullptr); }), cancel.size());
    EXPECT_STREQ(server.settings.ResetTime, "");
}

TEST_F(DialogTest, ARefusedLastResetFileIsToldAndWrittenAtTheNextCheck) {
    CopyCut(server.settings.ResetTime, "18:00");
    const std::string last_reset = dir + "\\lastreset.txt";
    ASSERT_TRUE(CreateDirectoryA(last_reset.c_str(), nullptr));
    DialogScript script;
    script.Then(kBoardOptions, [](HWND dialog) {
        SetText(dialog, IDC_BOARD_RESET_TIME, "7:30");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(script.Run([&] { RunBoardOptionsDialog(server, nullptr); }), script.size());
    EXPECT_EQ(std::string(server.status.Text()), "Cannot write " + last_reset);

    ASSERT_TRUE(RemoveDirectoryA(last_reset.c_str()));
    CheckDailyReset(server);
    char today[16];
    FormatDate(LatestResetDate(clock.Now(), 7, 30), today, sizeof today);
    EXPECT_EQ(ReadBytes(last_reset, "<missing>"), std::string(today) + "\r\n");
}

TEST_F(DialogTest, BoardOptionsStoresAWebPortRefusesWhatIsNoPortAndSaysToRestart) {
    CopyCut(server.settings.WebPort, "8080");
    std::string shown;
    DialogScript script;
    script
        .Then(kBoardOptions,
              [&](HWND dialog) {
                  shown = GetText(dialog, IDC_BOARD_WEB_PORT);
                  SetText(dialog, IDC_BOARD_WEB_PORT, "70000");
                  Press(dialog, IDOK);
              })
        .Then(kBoardOptions, [](HWND dialog) {
            SetText(dialog, IDC_BOARD_WEB_PORT, "8081");
            Press(dialog, IDOK);
        });
    EXPECT_EQ(script.Run([&] { RunBoardOptionsDialog(server, nullptr); }), script.size());
    EXPECT_EQ(shown, "8080");
    ASSERT_EQ(alerts.asked.size(), 2u);
    EXPECT_EQ(alerts.asked[0].text, kWebPortRefusedText);
    EXPECT_EQ(alerts.asked[1].text, kPortChangedText);
    EXPECT_STREQ(server.settings.WebPort, "8081");
    EXPECT_EQ(Stored("WebPort"), "8081");

    // Unchanged: no restart to tell of.
    DialogScript same;
    same.Then(kBoardOptions, [](HWND dialog) { Press(dialog, IDOK); });
    EXPECT_EQ(same.Run([&] { RunBoardOptionsDialog(server, nullptr); }), same.size());
    EXPECT_EQ(alerts.asked.size(), 2u);
}

TEST_F(DialogTest, BoardOptionsTurnsSigningInFromABrowserOnAndOffAtOnce) {
    UINT shown = 99;
    DialogScript on;
    on.Then(kBoardOptions, [&](HWND dialog) {
        shown = IsDlgButtonChecked(dialog, IDC_BOARD_WEB_SIGN_IN);
        CheckDlgButton(dialog, IDC_BOARD_WEB_SIGN_IN, BST_CHECKED);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(on.Run([&] { RunBoardOptionsDialog(server, nullptr); }), on.size());
    EXPECT_EQ(shown, static_cast<UINT>(BST_UNCHECKED));
    EXPECT_TRUE(server.settings.WebSignIn);
    EXPECT_EQ(Stored("WebSignIn"), "TRUE");
    EXPECT_TRUE(alerts.asked.empty()); // no restart needed

    DialogScript off;
    off.Then(kBoardOptions, [&](HWND dialog) {
        shown = IsDlgButtonChecked(dialog, IDC_BOARD_WEB_SIGN_IN);
        CheckDlgButton(dialog, IDC_BOARD_WEB_SIGN_IN, BST_UNCHECKED);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(off.Run([&] { RunBoardOptionsDialog(server, nullptr); }), off.size());
    EXPECT_EQ(shown, static_cast<UINT>(BST_CHECKED));
    EXPECT_FALSE(server.settings.WebSignIn);
    EXPECT_EQ(Stored("WebSignIn"), "FALSE");
}

TEST_F(DialogTest, BoardOptionsRefusesANewWebKeyShorterThanEightButKeepsAnOldOne) {
    // From before the rule, hashed at start.
    CopyCut(server.settings.WebKeyHash, MakeKeyHash(server.key_crypto, "1234").c_str());
    std::string shown, state;
    DialogScript keep; // an empty field leaves the key as it is
    keep.Then(kBoardOptions, [&](HWND dialog) {
        shown = GetText(dialog, IDC_BOARD_WEB_KEY);
        state = GetText(dialog, IDC_BOARD_WEB_KEY_STATE);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(keep.Run([&] { RunBoardOptionsDialog(server, nullptr); }), keep.size());
    EXPECT_EQ(shown, "");
    EXPECT_EQ(state, kKeySetText);
    EXPECT_TRUE(alerts.asked.empty());
    EXPECT_TRUE(KeyMatchesHash(server.key_crypto, "1234", server.settings.WebKeyHash));

    DialogScript change;
    change
        .Then(kBoardOptions,
              [](HWND dialog) {
                  SetText(dialog, IDC_BOARD_WEB_KEY, "7chars!");
                  Press(dialog, IDOK);
              })
        .Then(kBoardOptions, [](HWND dialog) {
            SetText(dialog, IDC_BOARD_WEB_KEY, "8 chars!");
            Press(dialog, IDOK);
        });
    EXPECT_EQ(change.Run([&] { RunBoardOptionsDialog(server, nullptr); }), change.size());
    ASSERT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(alerts.asked[0].text, kWebKeyRefusedText);
    EXPECT_EQ(Stored("WebKey"), "<missing>");
    EXPECT_EQ(Stored("WebKeyHash"), server.settings.WebKeyHash);
    EXPECT_TRUE(KeyMatchesHash(server.key_crypto, "8 chars!", server.settings.WebKeyHash));

    DialogScript none; // No key: no key at all
    none.Then(kBoardOptions, [](HWND dialog) {
        CheckDlgButton(dialog, IDC_BOARD_WEB_KEY_CLEAR, BST_CHECKED);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(none.Run([&] { RunBoardOptionsDialog(server, nullptr); }), none.size());
    EXPECT_EQ(Stored("WebKeyHash"), "");
    EXPECT_STREQ(server.settings.WebKeyHash, "");
}

TEST_F(DialogTest, TheAdministrationKeyIsTypedTwiceStoredHashedAtOnceAndCleared) {
    store.Write("AdminKey", "left in clear"); // a hand edit the dialog replaces
    std::string state;
    DialogScript set;
    set.Then(kBoardOptions, [](HWND dialog) { Press(dialog, IDC_BOARD_ADMIN_KEY); })
        .Then(kAdminKeyCaption,
              [&](HWND dialog) {
                  state = GetText(dialog, IDC_KEY_STATE);
                  SetText(dialog, IDC_KEY_NEW, "office-admin-1");
                  SetText(dialog, IDC_KEY_AGAIN, "office-admin-2");
                  Press(dialog, IDOK);
              })
        .Then(kAdminKeyCaption,
              [](HWND dialog) {
                  SetText(dialog, IDC_KEY_AGAIN, "office-admin-1");
                  Press(dialog, IDOK);
              })
        .Then(kBoardOptions, [](HWND dialog) { Press(dialog, IDCANCEL); });
    EXPECT_EQ(set.Run([&] { RunBoardOptionsDialog(server, nullptr); }), set.size());
    EXPECT_EQ(state, kNoKeyText);
    ASSERT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(alerts.asked[0].text, kKeysDifferText);
    EXPECT_EQ(Stored("AdminKey"), "<missing>");
    EXPECT_EQ(Stored("AdminKeyHash"), server.settings.AdminKeyHash);
    EXPECT_TRUE(KeyMatchesHash(server.key_crypto, "office-admin-1", server.settings.AdminKeyHash));
    // In effect at once: the roll call's commands take it.
    EXPECT_TRUE(server.rollcall_keys.Matches("office-admin-1"));

    DialogScript clear;
    clear.Then(kBoardOptions, [](HWND dialog) { Press(dialog, IDC_BOARD_ADMIN_KEY); })
        .Then(kAdminKeyCaption,
              [&](HWND dialog) {
                  state = GetText(dialog, IDC_KEY_STATE);
                  Press(dialog, IDC_KEY_CLEAR);
              })
        .Then(kBoardOptions, [](HWND dialog) { Press(dialog, IDOK); });
    EXPECT_EQ(clear.Run([&] { RunBoardOptionsDialog(server, nullptr); }), clear.size());
    EXPECT_EQ(state, kKeySetText);
    EXPECT_EQ(Stored("AdminKeyHash"), "");
    EXPECT_FALSE(server.rollcall_keys.AnySet());
}

TEST_F(DialogTest, BoardOptionsSaysWhenTheStoreRefusesAndTheTimeHoldsInMemory) {
    MakeStoreReadOnly();
    DialogScript script;
    script.Then(kBoardOptions, [](HWND dialog) {
        SetText(dialog, IDC_BOARD_RESET_TIME, "17:45");
        Press(dialog, IDOK);
    });
    EXPECT_EQ(script.Run([&] { RunBoardOptionsDialog(server, nullptr); }), script.size());
    ASSERT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(alerts.asked[0].text, kStoreFailedText);
    EXPECT_STREQ(server.settings.ResetTime, "17:45");
    EXPECT_EQ(Stored("ResetTime"), "<missing>");
}

} // namespace
