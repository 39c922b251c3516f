#include "server/publish/publisher.h"

#include "server/board/board_change.h"
#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "server/page/board_page.h"
#include "server/publish/connection.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/recording_change_journal.h"
#include "tests/kit/doubles/recording_connection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Every step of a publication, with what the files held when it came.
struct Steps {
    std::vector<std::string> seen;
};

// A reply whose every send is a step, with what the files held then.
void RecordSteps(RecordingConnection &reply, Steps &steps, const ScratchDir &dir) {
    reply.on_send = [&steps, &dir](const std::string &send) {
        steps.seen.push_back("reply " + send + " file " + ReadBytes(dir.File("tesmar.dat")) +
                             " page " + std::to_string(ReadBytes(dir.File("board.htm")).size()));
    };
}

// A journal whose every change is a step, with what the files held then.
void RecordSteps(RecordingChangeJournal &journal, Steps &steps, const ScratchDir &dir) {
    journal.on_record = [&steps, &dir](const BoardChange &change) {
        bool on_page = ReadBytes(dir.File("board.htm")).find(change.name) != std::string::npos;
        steps.seen.push_back("journal " + change.name + " " + change.peer + " file " +
                             ReadBytes(dir.File("tesmar.dat")) + (on_page ? " on page" : ""));
    };
}

class PublishTest : public ::testing::Test {
  protected:
    PublishTest() {
        ClearTable(table);
        Put(table, 0, "Ann", 1, "", "8:00", "");
        table.count = 1;
    }
    PublishResult Publish(std::vector<Connection *> replies = {}) {
        BoardChange change;
        change.name = "Ann";
        change.peer = "10.1.2.3";
        return publisher.Publish(board, {change}, replies);
    }

    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir, dir.File("board.htm"));
    UserTable table;
    RecordingAlerts alerts;
    FixedClock clock{ClockTime{9, 5, 7}};
    BoardContext board{table, settings, alerts, clock};
    PlatformFiles files;
    Publisher publisher{files.reader, files.writer};
};

TEST_F(PublishTest, TheDataFileThenThePageThenTheJournalThenTheReplies) {
    Steps steps;
    RecordingChangeJournal journal;
    RecordSteps(journal, steps, dir);
    RecordingConnection first, second;
    RecordSteps(first, steps, dir);
    RecordSteps(second, steps, dir);
    publisher.SetJournal(&journal);
    EXPECT_FALSE(Publish({&first, &second}).Failed());
    std::string page = ReadBytes(dir.File("board.htm"));
    std::string size = std::to_string(page.size());
    EXPECT_EQ((std::vector<std::string>{"journal Ann 10.1.2.3 file Ann-1- -8:00- -\r\n on page",
                                        "reply 0\n\r file Ann-1- -8:00- -\r\n page " + size,
                                        "reply 0\n\r file Ann-1- -8:00- -\r\n page " + size}),
              steps.seen);
    // The page made is kept in memory as written, and the feed with it.
    EXPECT_EQ(page, publisher.PageBytes());
    EXPECT_EQ("{\"made\": \"0000-00-00T09:05:07\", \"members\": [\n{\"name\": \"Ann\", "
              "\"in\": true, \"time\": \"8:00\", \"destination\": \"\", \"return\": \"\", "
              "\"overdue\": false}\n]}\n",
              publisher.FeedBytes());
}

TEST_F(PublishTest, AFailedSaveStopsEverythingAfterIt) {
    ASSERT_FALSE(Publish().Failed());
    const std::string page = ReadBytes(dir.File("board.htm"));
    const std::string feed = publisher.FeedBytes();
    Steps steps;
    RecordingChangeJournal journal;
    RecordSteps(journal, steps, dir);
    RecordingConnection reply;
    RecordSteps(reply, steps, dir);
    publisher.SetJournal(&journal);
    std::filesystem::remove(dir.File("tesmar.dat"));
    std::filesystem::create_directory(dir.File("tesmar.dat"));
    table.slots[0].in_out = 0;
    clock.time = ClockTime{10, 0, 0};
    PublishResult result = Publish({&reply});
    EXPECT_TRUE(result.save_failed);
    EXPECT_FALSE(result.page_failed);
    EXPECT_TRUE(steps.seen.empty());
    EXPECT_EQ(page, ReadBytes(dir.File("board.htm")));
    EXPECT_EQ(page, publisher.PageBytes());
    EXPECT_EQ(feed, publisher.FeedBytes());
}

TEST_F(PublishTest, AFeedFirstAskedForAfterAFailedSaveShowsTheSavedBoard) {
    ASSERT_FALSE(Publish().Failed());
    std::filesystem::remove(dir.File("tesmar.dat"));
    std::filesystem::create_directory(dir.File("tesmar.dat"));
    table.slots[0].in_out = 0;
    clock.time = ClockTime{10, 0, 0};
    ASSERT_TRUE(Publish().save_failed);
    EXPECT_NE(std::string::npos, publisher.FeedBytes().find("T09:05:07"));
    EXPECT_NE(std::string::npos, publisher.FeedBytes().find("\"in\": true"));
    EXPECT_NE(std::string::npos, publisher.LiveBytes().find("Ann"));
}

TEST_F(PublishTest, APageThatCannotBeWrittenIsAFailureOnlyWhenOneIsSet) {
    // No page configured: nothing is written and nothing is amiss, but the
    // page is still made.
    settings.HTMLFile[0] = '\0';
    EXPECT_FALSE(Publish().Failed());
    EXPECT_EQ(std::vector<std::string>{"tesmar.dat"}, FilesIn(dir.path()));
    EXPECT_NE(std::string::npos, publisher.PageBytes().find(">Ann<"));

    // The page set to the data file itself: refused, the data file kept.
    std::strcpy(settings.HTMLFile, dir.File("tesmar.dat").c_str());
    PublishResult result = Publish();
    EXPECT_FALSE(result.save_failed);
    EXPECT_TRUE(result.page_failed);
    EXPECT_EQ("Ann-1- -8:00- -\r\n", ReadBytes(dir.File("tesmar.dat")));

    // The page alone, as at start-up: no data file is written.
    std::strcpy(settings.HTMLFile, dir.File("board.htm").c_str());
    std::filesystem::remove(dir.File("tesmar.dat"));
    EXPECT_FALSE(publisher.PublishPage(board).Failed());
    EXPECT_EQ(std::vector<std::string>{"board.htm"}, FilesIn(dir.path()));
}

} // namespace

namespace {

TEST_F(PublishTest, AReloadTakesAHandEditThatKeptTheSizeAndTimeOfTheLastSave) {
    ASSERT_FALSE(Publish().Failed());
    // Within the file system's time grain: same size, last-write time put
    // back as the save left it.
    const std::string saved = ReadBytes(dir.File("tesmar.dat"));
    const auto written = std::filesystem::last_write_time(dir.File("tesmar.dat"));
    std::string edited = saved;
    edited.replace(edited.find("8:00"), 4, "7:30");
    WriteBytes(dir.File("tesmar.dat"), edited);
    std::filesystem::last_write_time(dir.File("tesmar.dat"), written);
    ASSERT_TRUE(publisher.Reload(board));
    EXPECT_STREQ("7:30", table.slots[0].time);
}

// Start-up could not read the file: the empty board is never saved over
// it, and the first reload that reads it gives the board its count.
TEST_F(PublishTest, ABoardStartUpCouldNotReadIsNotSavedUntilAReloadReadsIt) {
    const std::string members = "Bea-1- -8:00- -\r\nAnn-0-Home-7:00- -\r\n";
    WriteBytes(dir.File("tesmar.dat"), members);
    ClearTable(table);
    table.count = 0;
    publisher.BoardNotRead();
    EXPECT_TRUE(Publish().save_failed);
    EXPECT_EQ(members, ReadBytes(dir.File("tesmar.dat")));

    ASSERT_TRUE(publisher.Reload(board));
    EXPECT_EQ(2u, table.count);
    table.slots[0].in_out = 1;
    EXPECT_FALSE(Publish().Failed());
    EXPECT_EQ("Ann-1-Home-7:00- -\r\nBea-1- -8:00- -\r\n", ReadBytes(dir.File("tesmar.dat")));
}

} // namespace

namespace {

TEST_F(PublishTest, EachPublicationAndNewlyOverdueMembersOnlyMakeANewNumber) {
    EXPECT_FALSE(publisher.RefreshOverdue(board)); // nothing made yet
    Put(table, 0, "Ann", 0, "Bank", "9:00am", "9:30am");
    ASSERT_FALSE(Publish().Failed());
    EXPECT_EQ(1u, publisher.Number());
    EXPECT_NE(std::string::npos, publisher.LiveBytes().find("<tr class=\"out\">"));
    clock.time = ClockTime{9, 30, 59};
    EXPECT_FALSE(publisher.RefreshOverdue(board));
    clock.time = ClockTime{9, 31, 0};
    const std::string page = ReadBytes(dir.File("board.htm"));
    EXPECT_TRUE(publisher.RefreshOverdue(board));
    EXPECT_FALSE(publisher.RefreshOverdue(board));
    EXPECT_EQ(2u, publisher.Number());
    EXPECT_NE(std::string::npos, publisher.FeedBytes().find("\"overdue\": true"));
    EXPECT_NE(std::string::npos, publisher.LiveBytes().find("<tr class=\"out overdue\">"));
    EXPECT_NE(std::string::npos, publisher.LiveBytes(true).find("<body class=\"wall\">"));
    EXPECT_EQ(page, ReadBytes(dir.File("board.htm"))); // the page file is not rewritten
    // A save that fails makes nothing new.
    std::strcpy(settings.WorkingDir, dir.File("gone").c_str());
    ASSERT_TRUE(Publish().save_failed);
    EXPECT_EQ(2u, publisher.Number());
}

} // namespace
