// The settings step of start-up with the program's main window and current
// directory, answered by the recorder, against a registry key of the tests'
// own. (Its rules are tested natively, in tests/unit/board.)
#include <string>

#include "common/fixed_text.h"
#include "common/settings_store_win32.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/first_run/first_run.h"
#include "server/page/page_defaults.h"
#include "server/shell/first_run_window.h"
#include "server/shell/server_state.h"
#include "tests/kit/doubles/scripted_first_run_host.h"
#include "tests/wine/server/shell_fixture.h"

namespace {

RegistrySettingsStore kStore(HKEY_LOCAL_MACHINE, "SOFTWARE\\KVT\\ShellTests\\FirstRun");

std::string CurrentDirectory() {
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    return dir;
}

class FirstRunTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kStore.key_path());
        old_directory = CurrentDirectory();
    }
    void TearDown() override {
        SetCurrentDirectoryA(old_directory.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kStore.key_path());
        ShellTest::TearDown();
    }
    bool Load() {
        // The window's own host, with the save-file dialog scripted.
        WindowFirstRunHost window(server.main_window, server.status, server.instance);
        ScriptedFirstRunHost host(window);
        bool loaded =
            LoadSettings(kStore, server.settings, server.table, server.file_writer, alerts, host);
        chooser_calls = host.chooser_calls;
        return loaded;
    }
    std::string Stored(const char *name) {
        char value[1000] = "(unread)";
        if (!ReadSetting(kStore, name, value, sizeof value)) return "(no key)";
        return value;
    }
    std::string old_directory;
    int chooser_calls = 0;
};

std::string Question(const std::string &dir) { return std::string(kDataFileQuestion) + dir; }

TEST_F(FirstRunTest, AFirstStartAsksForThePortAndTheDirectoryAndCreatesAnEmptyBoard) {
    std::string board_dir = MakeDirectory("board");
    SetCurrentDirectoryA(board_dir.c_str());
    alerts.answers = {AlertAnswer::Yes};
    bool disabled_while_asking = true;
    alerts.while_asking = [&] { disabled_while_asking &= !IsWindowEnabled(server.main_window); };

    ASSERT_TRUE(Load());

    ASSERT_EQ(alerts.asked.size(), 2u);
    EXPECT_EQ(alerts.asked[0].text, kFirstRunText);
    EXPECT_EQ(alerts.asked[0].caption, "Tesmar First Time Setup");
    EXPECT_EQ(alerts.asked[0].icon, AlertIcon::Warning);
    EXPECT_EQ(alerts.asked[1].text, Question(board_dir));
    EXPECT_EQ(alerts.asked[1].caption, "Tesmar TESMAR.DAT");
    EXPECT_EQ(alerts.asked[1].buttons, AlertButtons::YesNo);
    EXPECT_TRUE(disabled_while_asking);
    EXPECT_TRUE(IsWindowEnabled(server.main_window));

    EXPECT_STREQ(server.settings.WorkingDir, board_dir.c_str());
    EXPECT_STREQ(server.settings.Port, "223");
    EXPECT_TRUE(Exists(board_dir + "\\tesmar.dat"));
    EXPECT_EQ(ReadBytes(board_dir + "\\tesmar.dat"), "");
    // Only the directory is stored; the rest stays default in memory.
    EXPECT_EQ(Stored("WorkingDir"), board_dir);
    EXPECT_EQ(Stored("Port"), "");
    EXPECT_FALSE(server.settings.History);
    EXPECT_STREQ(server.settings.Header, kDefaultHeader);
    EXPECT_STREQ(server.settings.Footer, kDefaultFooter);
}

TEST_F(FirstRunTest, ClosingTheWindowDuringTheQuestionsEndsStartUp) {
    WriteSetting(kStore, "Port", "4000");
    alerts.answers = {AlertAnswer::No, AlertAnswer::No, AlertAnswer::No};
    // The administrator closes the window while the question is open.
    alerts.while_asking = [&] { SendMessageA(server.main_window, WM_CLOSE, 0, 0); };

    EXPECT_FALSE(Load());
    EXPECT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(chooser_calls, 0);
    EXPECT_EQ(Stored("WorkingDir"), "");
}

} // namespace
