// The service's settings step: what the first run would offer is taken,
// stored and noted, with no question asked.
#include "server/first_run/unattended_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/files.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/failing_file_writer.h"
#include "tests/kit/doubles/memory_settings_store.h"

namespace {

std::string In(const std::string &dir, const char *name) {
    return dir + static_cast<char>(kPathSeparator) + name;
}

} // namespace

TEST(UnattendedSettings, AnEmptyStoreTakesTheOffersAndStoresThem) {
    ScratchDir scratch;
    std::string dir = scratch.path().string();
    MemorySettingsStore store;
    ServerSettings settings{};
    UserTable table{};
    PlatformFiles files;
    std::vector<std::string> notes;

    ASSERT_TRUE(LoadUnattendedSettings(store, settings, table, files.writer, dir.c_str(), notes));

    EXPECT_EQ(store.values["WorkingDir"], dir);
    EXPECT_EQ(store.values["Port"], "223");
    EXPECT_EQ(store.values["HTMLFile"], In(dir, "board.htm"));
    EXPECT_STREQ(settings.HTMLFile, In(dir, "board.htm").c_str());
    EXPECT_TRUE(IsFile(In(dir, "tesmar.dat").c_str()));
    // One note a setting, naming it and its value.
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0], "WorkingDir was not set: " + dir + " is stored.");
    EXPECT_EQ(notes[1], "Port was not set: 223 is stored.");
    EXPECT_EQ(notes[2], "HTMLFile was not set: " + In(dir, "board.htm") + " is stored.");
    // The defaults that live in memory only are the desktop's.
    EXPECT_NE(settings.Header[0], '\0');
}

// Nobody sees the status line of a service: a data file that cannot be
// made in the new working folder is a note, and the settings still stored.
TEST(UnattendedSettings, ADataFileThatCannotBeMadeIsNoted) {
    ScratchDir scratch;
    std::string dir = scratch.path().string();
    MemorySettingsStore store;
    ServerSettings settings{};
    UserTable table{};
    FailingFileWriter refusing;
    std::vector<std::string> notes;

    ASSERT_TRUE(LoadUnattendedSettings(store, settings, table, refusing, dir.c_str(), notes));

    EXPECT_FALSE(IsFile(In(dir, "tesmar.dat").c_str()));
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes[0], "Cannot save " + In(dir, "tesmar.dat"));
    EXPECT_EQ(notes[1], "WorkingDir was not set: " + dir + " is stored.");
    EXPECT_EQ(store.values["WorkingDir"], dir);
}

TEST(UnattendedSettings, SetValuesAndAnExistingBoardAreKept) {
    ScratchDir scratch;
    std::string dir = scratch.path().string();
    WriteBytes(In(dir, "tesmar.dat"), "Ann-1- -09:00- \n");
    MemorySettingsStore store;
    store.Write("WorkingDir", dir.c_str());
    store.Write("Port", "4000");
    store.Write("HTMLFile", "Z:\\share\\board.htm");
    auto before = store.values;
    ServerSettings settings{};
    UserTable table{};
    PlatformFiles files;
    std::vector<std::string> notes;

    ASSERT_TRUE(LoadUnattendedSettings(store, settings, table, files.writer, "elsewhere", notes));

    EXPECT_EQ(store.values, before);
    EXPECT_TRUE(notes.empty());
    EXPECT_STREQ(settings.Port, "4000");
    EXPECT_EQ(ReadBytes(In(dir, "tesmar.dat")), "Ann-1- -09:00- \n");
}

TEST(UnattendedSettings, NoFolderToProposeIsRefusedNotAskedForever) {
    MemorySettingsStore store;
    ServerSettings settings{};
    UserTable table{};
    PlatformFiles files;
    std::vector<std::string> notes;
    EXPECT_FALSE(LoadUnattendedSettings(store, settings, table, files.writer, "", notes));
    EXPECT_EQ(notes.size(), 1u);
    EXPECT_TRUE(store.values.empty());
}
