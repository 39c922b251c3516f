// The page path naming the data file in another spelling: the page is not
// written and the board stays.
#include <string>

#include "common/fixed_text.h"
#include "server/board/user_table.h"
#include "server/page/board_page.h"
#include "server/shell/server_state.h"
#include "tests/wine/server/shell_fixture.h"

namespace {

class PageOverBoard : public ShellTest {};

TEST_F(PageOverBoard, NoSpellingOfTheDataFilesPathLetsThePageOverwriteIt) {
    std::string dir = MakeDirectory("board directory with a long name");
    std::string data_file = dir + "\\tesmar.dat";
    const std::string board = "Ann-1- -09:00- -\r\n";
    WriteFile(data_file, board);
    CopyCut(server.settings.WorkingDir, dir.c_str());
    server.table.count = 1;
    CopyCut(server.table.slots[0].name, "Ann");

    char short_path[MAX_PATH];
    DWORD length = GetShortPathNameA(data_file.c_str(), short_path, sizeof short_path);
    ASSERT_TRUE(length > 0 && length < sizeof short_path);
    ASSERT_EQ(std::string(short_path).find("long name"), std::string::npos) << short_path;
    for (const std::string &spelling : {std::string(short_path), "\\\\?\\" + data_file}) {
        CopyCut(server.settings.HTMLFile, spelling.c_str());
        EXPECT_EQ(0, WriteBoardPage(server.table, server.settings, server.clock)) << spelling;
        EXPECT_EQ(ReadBytes(data_file), board) << spelling;
    }
}

} // namespace
