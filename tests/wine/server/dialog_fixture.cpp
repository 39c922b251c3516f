#include "tests/wine/server/dialog_fixture.h"

#include <cstdio>
#include <cstring>

#include "server/board/board_change.h"
#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "server/page/page_defaults.h"
#include "server/shell/server_state.h"
#include "tests/kit/board_test_support.h"

void DialogTest::SetUp() {
    ServerProgramTest::SetUp();
    if (HasFatalFailure()) return;
    dir = scratch;

    CopyCut(server.settings.WorkingDir, dir.c_str());
    CopyCut(server.settings.Port, "223");
    CopyCut(server.settings.HTMLFile, (dir + "\\board.html").c_str());
    CopyCut(server.settings.Header, kDefaultHeader);
    CopyCut(server.settings.Footer, kDefaultFooter);
    server.settings.History = true;
    ASSERT_TRUE(WriteBoardFile(server.table, server.settings));
}

void DialogTest::SeedBoard(const std::vector<std::string> &names) {
    BoardContext board = server.Board();
    for (const std::string &name : names) {
        BoardChange change;
        ASSERT_EQ(AddUser(board, name.c_str(), &change), 1) << name;
        server.PublishEdit(change);
    }
}

std::vector<std::string> DialogTest::BoardNames() const {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < server.table.count; ++i) names.push_back(server.table.slots[i].name);
    return names;
}

std::string DialogTest::DataFile() const { return ReadBytes(dir + "\\tesmar.dat", "<missing>"); }

std::string DialogTest::Page() const { return ReadBytes(server.settings.HTMLFile, "<missing>"); }
