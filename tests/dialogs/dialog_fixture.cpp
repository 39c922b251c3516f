#include "tests/dialogs/dialog_fixture.h"

#include <cstdio>
#include <cstring>

#include "server/board/board_change.h"
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

    std::memset(&TheServer().settings, 0, sizeof TheServer().settings);
    CopyCut(TheServer().settings.WorkingDir, dir.c_str());
    CopyCut(TheServer().settings.Port, "223");
    CopyCut(TheServer().settings.HTMLFile, (dir + "\\board.html").c_str());
    CopyCut(TheServer().settings.Header, kDefaultHeader);
    CopyCut(TheServer().settings.Footer, kDefaultFooter);
    CopyCut(TheServer().settings.History, "TRUE");
    TheServer().settings.history_flag = true;
    ClearTable(TheServer().table);
    ASSERT_EQ(SaveBoard(TheServer().table, TheServer().settings), 1);

    saved_alerts_ = TheServer().alerts;
    TheServer().alerts = &alerts;

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
    TheServer().alerts = saved_alerts_;

    char path[400];
    BuildDataFilePath(TheServer().settings, path, sizeof path);
    DeleteFileA(path);
    DeleteFileA((dir + "\\board.html").c_str());
    DeleteFileA((dir + "\\chosen.html").c_str());
    DeleteFileA((dir + "\\lastreset.txt").c_str());
    WIN32_FIND_DATAA found;
    HANDLE journals = FindFirstFileA((dir + "\\history-*.csv").c_str(), &found);
    if (journals != INVALID_HANDLE_VALUE) {
        do DeleteFileA((dir + "\\" + found.cFileName).c_str());
        while (FindNextFileA(journals, &found));
        FindClose(journals);
    }
    RemoveDirectoryA(dir.c_str());
}

void DialogTest::SeedBoard(const std::vector<std::string> &names) {
    BoardContext board = TheServer().Board();
    for (const std::string &name : names) {
        BoardChange change;
        ASSERT_EQ(AddUser(board, name.c_str(), &change), 1) << name;
        TheServer().PublishEdit(change);
    }
}

std::vector<std::string> DialogTest::BoardNames() const {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < TheServer().table.count; ++i)
        names.push_back(TheServer().table.slots[i].name);
    return names;
}

std::string DialogTest::DataFile() const { return ReadWholeFile(dir + "\\tesmar.dat"); }

std::string DialogTest::Page() const { return ReadWholeFile(TheServer().settings.HTMLFile); }

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
