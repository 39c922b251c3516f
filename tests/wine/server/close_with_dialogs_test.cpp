// The server's window asked to close while the User Manager and its user
// name dialog are open: the dialogs end without carrying out the edit, and
// then the window closes.
#include <winsock2.h>

#include <string>

#include "common/user_name_dialog_ids.h"
#include "server/engine/status_line.h"
#include "server/shell/tesmar_ids.h"
#include "server/shell/main_window.h"
#include "server/shell/server_state.h"
#include "tests/wine/server/dialog_fixture.h"
#include "tests/wine/server/dialog_script.h"

namespace {

class CloseWithDialogs : public DialogTest {};

TEST_F(CloseWithDialogs, TheOpenDialogsEndFirstAndNothingIsWrittenAfterwards) {
    SeedBoard({"Ann"});
    ASSERT_TRUE(DeleteFileA(server.settings.HTMLFile));
    const std::string board = DataFile();
    WNDCLASSA known;
    if (!GetClassInfoA(server.instance, kMainWindowClass, &known)) {
        ASSERT_TRUE(RegisterMainWindowClass(server.instance));
    }
    HWND window = CreateMainWindow(server);
    ASSERT_NE(window, nullptr);

    DialogScript script;
    script.Then("Tesmar User Manager", [](HWND dialog) { Press(dialog, IDC_USERS_ADD); })
        .Then("Tesmar User", [&](HWND dialog) {
            SetText(dialog, IDC_USER_NAME_EDIT, "Zed");
            PostMessageA(window, WM_CLOSE, 0, 0);
        });
    EXPECT_EQ(script.Run([&] { SendMessageA(window, WM_COMMAND, IDM_USERS, 0); }), script.size());
    // The window closes once the dialogs have ended.
    DWORD start = GetTickCount();
    MSG message;
    bool quit = false;
    while (!quit && GetTickCount() - start < 10000) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                quit = true;
            else
                DispatchMessageA(&message);
        }
        Sleep(5);
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(window));
    server.main_window = nullptr;
    server.status_view.window = nullptr;

    EXPECT_EQ(Page(), "<missing>");
    EXPECT_EQ(DataFile(), board);
    EXPECT_EQ(BoardNames(), std::vector<std::string>{"Ann"});
}

} // namespace
