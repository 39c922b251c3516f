#include "server/board/board_start_up.h"

#include "server/board/server_settings.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/failing_file_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(BoardStartUp, RemovesOnlyTheServersOwnLeftTemporaries) {
    ScratchDir data, site;
    ServerSettings settings = SettingsIn(data, site.File("inout.htm"));
    for (const char *name : {"tesmar.dat", "tesmar.dat.4242.tmp", "tesmar.dat.bak",
                             "tesmar.dat.12x.tmp", "tesmar.dat..tmp", "notes.4242.tmp"})
        WriteBytes(data.File(name), "x");
    for (const char *name : {"inout.htm", "inout.htm.77.tmp", "other.htm.77.tmp"})
        WriteBytes(site.File(name), "x");
    RemoveLeftSaves(settings);
    EXPECT_EQ(FilesIn(data.path()),
              (std::vector<std::string>{"notes.4242.tmp", "tesmar.dat", "tesmar.dat..tmp",
                                        "tesmar.dat.12x.tmp", "tesmar.dat.bak"}));
    EXPECT_EQ(FilesIn(site.path()), (std::vector<std::string>{"inout.htm", "other.htm.77.tmp"}));
}

// A read that fails after the first piece of the file: the board stays
// empty and the file, which start-up would otherwise sort and save, is left
// as it is.
TEST(BoardStartUp, AReadThatFailsPartWayLoadsNothingAndSavesNothing) {
    ScratchDir data;
    ServerSettings settings = SettingsIn(data);
    const std::string unsorted =
        "Carl-1- -8:00- -\r\nAnn-0-Home-9:00-10:00-\r\nBob-1- -8:30- -\r\n";
    WriteBytes(data.File("tesmar.dat"), unsorted);
    UserTable table{};
    PlatformFileWriter writer;
    FailingFileReader second_read_fails(16, 2);
    EXPECT_EQ(StartUpLoad::ReadFailed,
              LoadBoardAtStartUp(table, settings, second_read_fails, writer));
    EXPECT_EQ(2, second_read_fails.reads());
    EXPECT_EQ(0u, table.count);
    EXPECT_STREQ("", table.slots[0].name);
    EXPECT_EQ(unsorted, ReadBytes(data.File("tesmar.dat")));

    // Read whole in the same pieces, it is loaded and saved in board order.
    FailingFileReader pieces(16, 0);
    EXPECT_EQ(StartUpLoad::Ready, LoadBoardAtStartUp(table, settings, pieces, writer));
    EXPECT_EQ(3u, table.count);
    EXPECT_EQ("Ann-0-Home-9:00-10:00-\r\nBob-1- -8:30- -\r\nCarl-1- -8:00- -\r\n",
              ReadBytes(data.File("tesmar.dat")));
}
