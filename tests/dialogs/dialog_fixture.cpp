#include "tests/dialogs/dialog_fixture.h"

#include <cstdio>
#include <cstring>

#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "server/shell/server_state.h"
#include "tests/board/board_test_support.h"

std::string ReadWholeFile(const std::string &path) {
    // A missing file must not pass for an empty one.
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return "<missing>";
    return ReadBytes(path);
}

namespace {
int g_test_number = 0;
}

void DialogTest::SetUp() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    dir = std::string(temp) + "tesmar-dialogs-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++g_test_number);
    CreateDirectoryA(dir.c_str(), nullptr);

    std::memset(&g_settings, 0, sizeof g_settings);
    CopyCut(g_settings.WorkingDir, dir.c_str());
    CopyCut(g_settings.Port, "223");
    CopyCut(g_settings.HTMLFile, (dir + "\\board.html").c_str());
    CopyCut(g_settings.Header, kDefaultHeader);
    CopyCut(g_settings.Footer, kDefaultFooter);
    CopyCut(g_settings.History, "TRUE");
    g_settings.history_flag = true;
    ClearTable(g_table);
    ASSERT_EQ(SaveBoard(g_table, g_settings), 1);

    saved_alerts_ = g_alerts;
    g_alerts = &alerts;

    sandbox_ = "Software\\TesmarDialogTests\\" + std::to_string(GetCurrentProcessId());
    Redirect(KEY_ALL_ACCESS);
}

// HKEY_LOCAL_MACHINE is the machine's own again.
void DialogTest::Unredirect() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    if (redirected_)
        RegCloseKey(redirected_);
    redirected_ = nullptr;
}

void DialogTest::Redirect(REGSAM access) {
    Unredirect();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sandbox_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, sandbox_.c_str(), 0, access, &redirected_),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, redirected_), ERROR_SUCCESS);
}

// Wine does not check a parent key's access when a subkey is created, so
// the refusing store is a key that has been deleted under its open handle.
void DialogTest::MakeStoreReadOnly() {
    Unredirect();
    std::string gone = sandbox_ + "\\Gone";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, gone.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &redirected_, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, gone.c_str()), ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, redirected_), ERROR_SUCCESS);
}

void DialogTest::TearDown() {
    Unredirect();
    RegDeleteTreeA(HKEY_CURRENT_USER, sandbox_.c_str());
    g_alerts = saved_alerts_;

    char path[400];
    BuildDataFilePath(g_settings, path, sizeof path);
    DeleteFileA(path);
    DeleteFileA((dir + "\\board.html").c_str());
    DeleteFileA((dir + "\\chosen.html").c_str());
    DeleteFileA((dir + "\\lastreset.txt").c_str());
    RemoveDirectoryA(dir.c_str());
}

void DialogTest::SeedBoard(const std::vector<std::string> &names) {
    BoardContext board = ServerBoard();
    for (const std::string &name : names)
        ASSERT_EQ(AddUser(board, name.c_str()), 1) << name;
}

std::vector<std::string> DialogTest::BoardNames() const {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < g_table.count; ++i)
        names.push_back(g_table.slots[i].name);
    return names;
}

std::string DialogTest::DataFile() const { return ReadWholeFile(dir + "\\tesmar.dat"); }

std::string DialogTest::Page() const { return ReadWholeFile(g_settings.HTMLFile); }

std::string DialogTest::Stored(const char *name) const {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (sandbox_ + "\\SOFTWARE\\KVT\\Tesmar").c_str(), 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char value[1100];
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type,
                                   reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return "<missing>";
    value[size] = '\0';
    return value;
}
