// The About box and the shared user name dialog.
#include <winsock2.h>

#include <string>

#include "common/user_name_dialog.h"
#include "common/user_name_dialog_ids.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/tesmar_ids.h"
#include "tests/wine/server/dialog_fixture.h"
#include "tests/wine/server/dialog_script.h"

namespace {

TEST(UserNameDialog, OkStoresTheTextCutTo29AndCancelKeepsTheBuffer) {
    char name[kUserNameBufferSize] = "Ann";
    std::string shown;
    const std::string typed(40, 'z');
    DialogScript script;
    script.Then("Tesmar User", [&](HWND dialog) {
        shown = GetText(dialog, IDC_USER_NAME_EDIT);
        SetText(dialog, IDC_USER_NAME_EDIT, typed.c_str());
        Press(dialog, IDOK);
    });
    INT_PTR result = 0;
    EXPECT_EQ(
        script.Run([&] { result = RunUserNameDialog(GetModuleHandleA(nullptr), nullptr, name); }),
        1u);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown, "Ann");
    EXPECT_EQ(std::string(name), typed.substr(0, 29));

    DialogScript cancel;
    cancel.Then("Tesmar User", [](HWND dialog) {
        SetText(dialog, IDC_USER_NAME_EDIT, "Bob");
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(
        cancel.Run([&] { result = RunUserNameDialog(GetModuleHandleA(nullptr), nullptr, name); }),
        1u);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(std::string(name), typed.substr(0, 29));
}

TEST(AboutBox, OnlyOkEndsItWithResultZero) {
    bool open_after_escape = false;
    HICON icon = nullptr;
    std::string text;
    DialogScript script;
    script
        .Then("About Tesmar",
              [&](HWND dialog) {
                  HWND icon_control = FindWindowExA(dialog, nullptr, "Static", nullptr);
                  icon = reinterpret_cast<HICON>(SendMessageA(icon_control, STM_GETICON, 0, 0));
                  HWND text_control = FindWindowExA(dialog, icon_control, "Static", nullptr);
                  char buffer[64] = "";
                  GetWindowTextA(text_control, buffer, sizeof buffer);
                  text = buffer;
                  Press(dialog, IDCANCEL);
                  PostMessageA(dialog, WM_CLOSE, 0, 0);
              })
        .Then("About Tesmar", [&](HWND dialog) {
            open_after_escape = IsWindowVisible(dialog) != 0;
            Press(dialog, IDOK);
        });
    INT_PTR result = -1;
    EXPECT_EQ(script.Run([&] {
        result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
                                 AboutBoxProc, 0);
    }),
              2u);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(open_after_escape);
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(text, "Sign-In / Sign-Out Daemon");
}

} // namespace
