// The settings step of start-up and the first-run questions, against a
// settings store in memory, answered by the recorder and a scripted host.
#include "server/first_run/first_run.h"

#include "common/files.h"
#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/page_defaults.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/failing_file_writer.h"
#include "tests/kit/doubles/memory_settings_store.h"
#include "tests/kit/doubles/scripted_first_run_host.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FirstRunTest : public ::testing::Test {
  protected:
    bool Load() { return LoadSettings(store, settings, table, files.writer, alerts, host); }
    std::string Dir(const char *name) {
        std::filesystem::create_directory(scratch.path() / name);
        return scratch.File(name);
    }
    std::string DataFileIn(const std::string &dir) {
        return dir + static_cast<char>(kPathSeparator) + "tesmar.dat";
    }

    ScratchDir scratch;
    MemorySettingsStore store;
    ServerSettings settings{};
    UserTable table{};
    RecordingAlerts alerts;
    ScriptedFirstRunHost host;
    PlatformFiles files;
};

TEST_F(FirstRunTest, AFirstStartAsksForThePortAndTheDirectoryAndCreatesAnEmptyBoard) {
    host.current = Dir("board");
    alerts.answers = {AlertAnswer::Yes};
    bool held_while_asking = true;
    alerts.while_asking = [&] { held_while_asking &= host.held; };

    ASSERT_TRUE(Load());

    ASSERT_EQ(alerts.asked.size(), 2u);
    EXPECT_EQ(alerts.asked[0].text, kFirstRunText);
    EXPECT_EQ(alerts.asked[0].caption, "Tesmar First Time Setup");
    EXPECT_EQ(alerts.asked[1].text, kDataFileQuestion + host.current);
    EXPECT_TRUE(held_while_asking);
    EXPECT_FALSE(host.held);
    EXPECT_EQ(settings.WorkingDir, host.current);
    EXPECT_STREQ(settings.Port, "223");
    EXPECT_TRUE(IsFile(DataFileIn(host.current).c_str()));
    EXPECT_EQ(ReadBytes(DataFileIn(host.current)), "");
    // Only the directory is stored; the rest stays default in memory.
    EXPECT_EQ(store.values, (std::map<std::string, std::string>{{"WorkingDir", host.current}}));
    EXPECT_FALSE(settings.History);
    EXPECT_STREQ(settings.Header, kDefaultHeader);
    EXPECT_STREQ(settings.Footer, kDefaultFooter);
}

TEST_F(FirstRunTest, NoAndACancelledChooserAskAgainThenTheChosenDirectoryIsTaken) {
    WriteSetting(store, "Port", "4000");
    std::string chosen = Dir("chosen");
    alerts.answers = {AlertAnswer::No, AlertAnswer::No};
    alerts.while_asking = [&] { host.chooser_answer = alerts.asked.size() == 2 ? chosen : ""; };

    ASSERT_TRUE(Load());

    EXPECT_EQ(alerts.asked.size(), 2u); // no port message: the port is stored
    EXPECT_EQ(host.chooser_calls, 2);
    EXPECT_EQ(settings.WorkingDir, chosen);
    EXPECT_STREQ(settings.Port, "4000");
    EXPECT_EQ(store.values["WorkingDir"], chosen);
    EXPECT_TRUE(IsFile(DataFileIn(chosen).c_str()));
}

TEST_F(FirstRunTest, ADirectoryThatCannotBeStoredOrWrittenIsSaidSo) {
    store.writes_fail = true; // as the registry is for a standard account
    std::string missing = scratch.File("missing");
    host.chooser_answer = missing;
    alerts.answers = {AlertAnswer::No};

    ASSERT_TRUE(Load());

    ASSERT_EQ(alerts.asked.size(), 3u);
    EXPECT_EQ(alerts.asked[2].text, kStoreFailedText);
    EXPECT_EQ(alerts.asked[2].caption, kStoreFailedCaption);
    EXPECT_EQ(alerts.asked[2].icon, AlertIcon::Warning);
    EXPECT_EQ(host.status, "Cannot save " + DataFileIn(missing));
}

// The directory is there but its data file cannot be made (a full disk, a
// share gone read-only): the status line says so, the directory is kept.
TEST_F(FirstRunTest, ADataFileTheWriterRefusesIsSaidSoAndTheDirectoryStored) {
    WriteSetting(store, "Port", "4000");
    host.current = Dir("refused");
    alerts.answers = {AlertAnswer::Yes};
    FailingFileWriter refusing;

    ASSERT_TRUE(LoadSettings(store, settings, table, refusing, alerts, host));

    EXPECT_EQ(refusing.writes, 1);
    EXPECT_EQ(host.status, "Cannot save " + DataFileIn(host.current));
    EXPECT_FALSE(IsFile(DataFileIn(host.current).c_str()));
    EXPECT_EQ(store.values["WorkingDir"], host.current);
    EXPECT_EQ(alerts.asked.size(), 1u); // the question alone: the store took it
}

TEST_F(FirstRunTest, AnExistingDataFileInTheChosenDirectoryIsKept) {
    WriteSetting(store, "Port", "4000");
    host.current = Dir("kept");
    const std::string board = "Zed-1- -09:00- -\r\nAnn-0-Home-17:00-08:00-\r\n";
    WriteBytes(DataFileIn(host.current), board);
    alerts.answers = {AlertAnswer::Yes};

    ASSERT_TRUE(Load());
    EXPECT_EQ(ReadBytes(DataFileIn(host.current)), board);
}

TEST_F(FirstRunTest, ClosingTheWindowDuringTheQuestionsEndsStartUp) {
    WriteSetting(store, "Port", "4000");
    alerts.answers = {AlertAnswer::No, AlertAnswer::No, AlertAnswer::No};
    alerts.while_asking = [&] { host.running = false; };

    EXPECT_FALSE(Load());
    EXPECT_EQ(alerts.asked.size(), 1u);
    EXPECT_EQ(host.chooser_calls, 0);
    EXPECT_EQ(store.values.count("WorkingDir"), 0u);
}

TEST_F(FirstRunTest, StoredSettingsAreReadWithoutAQuestion) {
    std::string dir = Dir("stored");
    WriteSetting(store, "WorkingDir", dir.c_str());
    WriteSetting(store, "Port", "70000");
    WriteSetting(store, "History", "true");
    WriteSetting(store, "HTMLFile", "C:\\web\\in.html");
    WriteSetting(store, "Header", "<h1>");
    WriteSetting(store, "WebPort", "8080");

    ASSERT_TRUE(Load());
    EXPECT_TRUE(alerts.asked.empty());
    EXPECT_FALSE(host.held);
    EXPECT_STREQ(settings.Port, "70000");
    EXPECT_STREQ(settings.HTMLFile, "C:\\web\\in.html");
    EXPECT_STREQ(settings.Header, "<h1>");
    EXPECT_STREQ(settings.Footer, kDefaultFooter);
    EXPECT_STREQ(settings.WebPort, "8080");
    EXPECT_FALSE(settings.History); // only "TRUE" counts
    EXPECT_FALSE(IsFile(DataFileIn(dir).c_str()));
}

} // namespace
