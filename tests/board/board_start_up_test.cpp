#include "server/board/board_start_up.h"

#include "server/board/server_settings.h"
#include "tests/board/board_test_support.h"

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
