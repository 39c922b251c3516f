#include "tests/wine/server/dialog_fixture.h"

#include <cstdio>
#include <cstring>

#include "server/board/board_change.h"
#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "server/shell/server_state.h"
#include "tests/wine/server_program.h"
#include "tests/kit/board_test_support.h"

std::string ReadWholeFile(const std::string &path) {
    // A missing file must not pass for an empty one.
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return "<missing>";
    return ReadBytes(path);
}

void DialogTest::SetUp() {
    InProcessTest::SetUp();
    if (HasFatalFailure()) return;
    dir = scratch;
    saved_alerts_ = TheServer().alerts;
    ResetServerProgram(alerts);

    CopyCut(TheServer().settings.WorkingDir, dir.c_str());
    CopyCut(TheServer().settings.Port, "223");
    CopyCut(TheServer().settings.HTMLFile, (dir + "\\board.html").c_str());
    CopyCut(TheServer().settings.Header, kDefaultHeader);
    CopyCut(TheServer().settings.Footer, kDefaultFooter);
    CopyCut(TheServer().settings.History, "TRUE");
    TheServer().settings.history_flag = true;
    ASSERT_EQ(SaveBoard(TheServer().table, TheServer().settings), 1);
}

void DialogTest::TearDown() {
    TheServer().alerts = saved_alerts_;
    InProcessTest::TearDown();
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
    return StoredMachineValue("SOFTWARE\\KVT\\Tesmar", name);
}
