#include "server/publish/batch_dispatch.h"

#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "tests/kit/doubles/recording_connection.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/failing_file_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A board in a scratch folder of its own: the data file in the folder, the
// page beside it.
class RequestTest : public ::testing::Test {
  protected:
    RequestTest()
        : dir_(scratch_.path()), settings_(SettingsIn(scratch_, scratch_.File("board.htm"))) {
        ClearTable(table_);
    }

    void SetDir(const fs::path &dir) {
        std::memset(settings_.WorkingDir, 0, sizeof settings_.WorkingDir);
        std::strncpy(settings_.WorkingDir, dir.string().c_str(), sizeof settings_.WorkingDir - 1);
    }
    void SetPage(const fs::path &page) {
        std::memset(settings_.HTMLFile, 0, sizeof settings_.HTMLFile);
        std::strncpy(settings_.HTMLFile, page.string().c_str(), sizeof settings_.HTMLFile - 1);
    }
    fs::path DataFile() const { return dir_ / "tesmar.dat"; }

    // Puts the lines in the data file and loads them as start-up does.
    void Board(const std::string &lines) {
        WriteBytes(DataFile(), lines);
        ASSERT_EQ(BoardLoad::Loaded, ReadBoardFile(table_, settings_));
        SortAndCompact(table_);
    }

    RequestOutcome Dispatch(const std::string &line) {
        connection_.sends.clear();
        return DispatchRequest(context_, publisher_, line.c_str(), connection_);
    }
    std::string Reply() const {
        std::string all;
        for (const std::string &send : connection_.sends) all += send;
        return all;
    }
    const UserRecord &Slot(int i) const { return table_.slots[i]; }

    ScratchDir scratch_;
    fs::path dir_;
    UserTable table_;
    ServerSettings settings_;
    RecordingAlerts alerts_;
    FixedClock clock_;
    BoardContext context_{table_, settings_, alerts_, clock_};
    PlatformFiles files;
    Publisher publisher_{files.reader, files.writer};
    RecordingConnection connection_;
};

TEST_F(RequestTest, DispatchFollowsTheFirstTwoBytes) {
    Board("Ann-0-Lunch-12:00-13:00-\r\n");
    const std::string before = ReadBytes(DataFile());
    for (int byte = 1; byte < 256; ++byte) {
        if (byte == '#') continue;
        std::string line(1, static_cast<char>(byte));
        line += "iAnn-1";
        RequestOutcome outcome = Dispatch(line);
        if (byte <= 0x20 || byte >= 0x80) {
            EXPECT_EQ(RequestOutcome::Silent, outcome.kind) << byte;
            EXPECT_TRUE(connection_.sends.empty()) << byte;
        } else {
            EXPECT_EQ(RequestOutcome::NotRequest, outcome.kind) << byte;
            EXPECT_EQ("\n\r", Reply()) << byte;
        }
    }
    for (const char *silent : {"#", "#I", "#Iann-1", "#OAnn-1-x-y", "#x", "# iAnn"}) {
        EXPECT_EQ(RequestOutcome::Silent, Dispatch(silent).kind) << silent;
        EXPECT_TRUE(connection_.sends.empty()) << silent;
    }
    EXPECT_EQ(RequestOutcome::NotRequest, Dispatch("default.txt").kind);
    EXPECT_EQ(RequestOutcome::NotRequest, Dispatch("GET / HTTP/1.1").kind);
    EXPECT_EQ(before, ReadBytes(DataFile()));
    EXPECT_EQ(0, Slot(0).in_out);

    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#iAnn-9:00").kind);
    EXPECT_EQ("0\n\r", Reply());
    EXPECT_EQ("Ann-1- -9:00- -\r\n", ReadBytes(DataFile()));
}

TEST_F(RequestTest, MatchingByTheBeginningNeverRenames) {
    Board("Bob-0-Lunch-12:00-13:00-\r\nJoan-0- - - -\r\nJohn-0- - - -\r\n");
    // bo and BOB sign Bob in; his destination and return time are emptied.
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#ibo-9:00").kind);
    EXPECT_EQ("0\n\r", Reply());
    EXPECT_STREQ("Bob", Slot(0).name);
    EXPECT_EQ(1, Slot(0).in_out);
    EXPECT_STREQ("9:00", Slot(0).time);
    EXPECT_STREQ("", Slot(0).destination);
    EXPECT_STREQ("", Slot(0).return_time);
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oBOB-9:30-Bank-10:00").kind);
    EXPECT_STREQ("Bob", Slot(0).name);
    EXPECT_STREQ("Bank", Slot(0).destination);
    // Bob's own client still finds him.
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#iBob-11:00").kind);

    // A longer name matches nothing and writes neither file.
    const std::string before = ReadBytes(DataFile());
    fs::remove(dir_ / "board.htm");
    EXPECT_EQ(RequestOutcome::NoMatch, Dispatch("#iBobby-1").kind);
    EXPECT_EQ("1\n\r", Reply());
    EXPECT_EQ(before, ReadBytes(DataFile()));
    EXPECT_FALSE(fs::exists(dir_ / "board.htm"));

    // The first slot wins among prefix matches.
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oJo-1-x-2").kind);
    EXPECT_EQ(0, Slot(1).in_out);
    EXPECT_STREQ("x", Slot(1).destination);
    EXPECT_STREQ(" ", Slot(2).destination); // John as loaded
    EXPECT_EQ("Bob-1- -11:00- -\r\nJoan-0-x-1-2-\r\nJohn-0- - - -\r\n", ReadBytes(DataFile()));
}

TEST_F(RequestTest, AnExactNameWinsOverAnEarlierPrefixMatch) {
    Board("Bob-1- -8:00- -\r\nbob-1- -8:00- -\r\nbobby-1- -8:00- -\r\n");
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#obob-9-Out-10").kind);
    EXPECT_EQ(1, Slot(0).in_out);
    EXPECT_EQ(0, Slot(1).in_out);
    EXPECT_EQ(1, Slot(2).in_out);
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oBOB-9-Out-10").kind);
    EXPECT_EQ(0, Slot(0).in_out) << "no exact match: the first prefix match";
    EXPECT_STREQ("Bob", Slot(0).name);
    EXPECT_STREQ("bob", Slot(1).name);
}

TEST_F(RequestTest, FieldsSplitAtDashRunsAndAreCutToTheirRecordFields) {
    Board("Ann-1- -8:00- -\r\n");
    // A destination holding a dash: the return time is its second half.
    Dispatch("#oAnn-12:00-Out-of-town-13:00");
    EXPECT_STREQ("12:00", Slot(0).time);
    EXPECT_STREQ("Out", Slot(0).destination);
    EXPECT_STREQ("of", Slot(0).return_time);
    // Empty fields from the client arrive as single spaces and stay spaces.
    Dispatch("#oAnn- - - ");
    EXPECT_STREQ(" ", Slot(0).time);
    EXPECT_STREQ(" ", Slot(0).destination);
    EXPECT_STREQ(" ", Slot(0).return_time);
    EXPECT_EQ("Ann-0- - - -\r\n", ReadBytes(DataFile()));
    // Leading dashes and runs of dashes separate no empty field.
    Dispatch("#o--Ann--12:00---13:00");
    EXPECT_STREQ("12:00", Slot(0).time);
    EXPECT_STREQ("13:00", Slot(0).destination);
    EXPECT_STREQ("", Slot(0).return_time);
    // Each field cut to its capacity; the request to 99 bytes after "#o".
    std::string line = "#oAnn-" + std::string(51, 't') + "-" + std::string(40, 'd') + "-rrrr";
    EXPECT_EQ(RequestOutcome::Matched, Dispatch(line).kind);
    EXPECT_EQ(std::string(9, 't'), Slot(0).time);
    EXPECT_EQ(std::string(29, 'd'), Slot(0).destination);
    EXPECT_STREQ("rr", Slot(0).return_time);
    // A name longer than the field is cut before it is matched.
    Board("Ann-1- -8:00- -\r\n" + std::string(19, 'n') + "-1- -8:00- -\r\n");
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#o" + std::string(30, 'n') + "-9").kind);
    EXPECT_EQ(0, Slot(1).in_out);
}

TEST_F(RequestTest, ControlBytesInsideFieldsBecomeSpacesAndMissingFieldsAreEmpty) {
    Board("Ann-1- -8:00- -\r\nBea-1- -8:00- -\r\n");
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oAnn-1\r2-a\nb-c\n\r").kind);
    EXPECT_STREQ("1 2", Slot(0).time);
    EXPECT_STREQ("a b", Slot(0).destination);
    EXPECT_STREQ("c  ", Slot(0).return_time);
    EXPECT_EQ("Ann-0-a b-1 2-c  -\r\nBea-1- -8:00- -\r\n", ReadBytes(DataFile()));

    // No name at all: "1", nothing read past the line, nothing written.
    for (const char *nameless : {"#i", "#o", "#i---", "#o-"}) {
        EXPECT_EQ(RequestOutcome::NoMatch, Dispatch(nameless).kind) << nameless;
        EXPECT_EQ("1\n\r", Reply());
    }
    // A name with later fields missing applies them empty.
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oBea-10:00").kind);
    EXPECT_EQ(0, Slot(1).in_out);
    EXPECT_STREQ("10:00", Slot(1).time);
    EXPECT_STREQ("", Slot(1).destination);
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#iBea").kind);
    EXPECT_STREQ("", Slot(1).time);
    EXPECT_EQ("Ann-0-a b-1 2-c  -\r\nBea-1- - - -\r\n", ReadBytes(DataFile()));
    // Tabs, escapes and the other control bytes as well; the name matches
    // as cleaned.
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oAnn-9:00-Lunch\x1b[1m\tout\x7f-\x01soon").kind);
    EXPECT_STREQ("Lunch [1m out ", Slot(0).destination);
    EXPECT_STREQ(" soon", Slot(0).return_time);
    EXPECT_EQ(RequestOutcome::NoMatch, Dispatch("#iAnn\x07").kind);
}

TEST_F(RequestTest, TheDataFileIsTheSourceOfTheRecords) {
    Board("Ann-1- -8:00- -\r\nBea-1- -8:00- -\r\n");
    // A line beyond count, added by hand, matches but is not saved.
    WriteBytes(DataFile(), "Ann-1- -8:00- -\r\nBea-1- -8:00- -\r\nCy-1- -8:00- -\r\n");
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oCy-9-Home-17").kind);
    EXPECT_EQ("0\n\r", Reply());
    EXPECT_EQ(2u, table_.count);
    EXPECT_EQ("Ann-1- -8:00- -\r\nBea-1- -8:00- -\r\n", ReadBytes(DataFile()));
    EXPECT_EQ(std::string::npos, ReadBytes(dir_ / "board.htm").find("Home"));

    // With the file gone the table in memory is matched, and saved anew.
    fs::remove(DataFile());
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oBea-9-Bank-10").kind);
    EXPECT_EQ("0\n\r", Reply());
    EXPECT_EQ("Ann-1- -8:00- -\r\nBea-0-Bank-9-10-\r\n", ReadBytes(DataFile()));
}

TEST_F(RequestTest, AFileThatCannotBeReadToItsEndChangesAndAnswersNothing) {
    Board("Ann-1- -8:00- -\r\nBea-1- -8:00- -\r\n");
    // Changed by hand since; the second read of it fails.
    const std::string edited = "Ann-0-Home-7:00- -\r\nBea-1- -8:00- -\r\n";
    WriteBytes(DataFile(), edited);
    FailingFileReader second_read_fails(8, 2);
    publisher_.SetFileReader(&second_read_fails);
    RecordingConnection bea, web;
    std::vector<RequestOutcome::Kind> kinds;
    PublishResult published = DispatchBatch(
        context_, publisher_, {{"#oBea-9-Bank-10", &bea, ""}, {"GET /", &web, ""}}, &kinds);
    EXPECT_TRUE(published.load_failed);
    EXPECT_EQ(
        (std::vector<RequestOutcome::Kind>{RequestOutcome::Silent, RequestOutcome::NotRequest}),
        kinds);
    EXPECT_TRUE(bea.sends.empty());
    EXPECT_EQ(std::vector<std::string>{"\n\r"}, web.sends);
    EXPECT_EQ(edited, ReadBytes(DataFile()));
    EXPECT_FALSE(fs::exists(dir_ / "board.htm"));
    EXPECT_EQ(1, Slot(0).in_out);
    EXPECT_STREQ("8:00", Slot(0).time);

    // Once it reads again, the hand edit is the record the request changes.
    publisher_.SetFileReader(&files.reader);
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oBea-9-Bank-10").kind);
    EXPECT_EQ("Ann-0-Home-7:00- -\r\nBea-0-Bank-9-10-\r\n", ReadBytes(DataFile()));
}

TEST_F(RequestTest, TheReplyComesAfterThePageAndTheDataFile) {
    Board("Ann-1- -8:00- -\r\n");
    std::string page_at_reply, file_at_reply;
    connection_.on_send = [&](const std::string &) {
        page_at_reply = ReadBytes(dir_ / "board.htm");
        file_at_reply = ReadBytes(DataFile());
    };
    EXPECT_EQ(RequestOutcome::Matched, Dispatch("#oAnn-9-Zanzibar-10").kind);
    EXPECT_NE(std::string::npos, page_at_reply.find("Zanzibar"));
    EXPECT_EQ("Ann-0-Zanzibar-9-10-\r\n", file_at_reply);
}

TEST_F(RequestTest, AFailedSaveGetsNoReplyAndAFailedPageIsReported) {
    Board("Ann-1- -8:00- -\r\n");
    ASSERT_EQ(RequestOutcome::Matched, Dispatch("#iAnn-8:30").kind);
    const std::string page = ReadBytes(dir_ / "board.htm");
    // The data file's folder is gone: the change is kept in memory only,
    // neither on the page nor reported as done.
    SetDir(dir_ / "gone");
    RequestOutcome outcome = Dispatch("#oAnn-9-Zanzibar-10");
    EXPECT_EQ(RequestOutcome::Matched, outcome.kind);
    EXPECT_TRUE(outcome.published.save_failed);
    EXPECT_FALSE(outcome.published.page_failed);
    EXPECT_TRUE(connection_.sends.empty());
    EXPECT_EQ(0, Slot(0).in_out);
    EXPECT_EQ(page, ReadBytes(dir_ / "board.htm"));
    EXPECT_EQ("Ann-1- -8:30- -\r\n", ReadBytes(DataFile()));

    // A page that cannot be written does not hold the reply back.
    SetDir(dir_);
    SetPage(dir_ / "gone" / "board.htm");
    outcome = Dispatch("#iAnn-11");
    EXPECT_TRUE(outcome.published.page_failed);
    EXPECT_FALSE(outcome.published.save_failed);
    EXPECT_EQ("0\n\r", Reply());
    EXPECT_EQ("Ann-1- -11- -\r\n", ReadBytes(DataFile()));

    // No page configured is not a failure.
    settings_.HTMLFile[0] = '\0';
    outcome = Dispatch("#iAnn-12");
    EXPECT_FALSE(outcome.published.Failed());
    EXPECT_EQ("0\n\r", Reply());
}

TEST_F(RequestTest, ABatchIsAppliedInOrderAndRepliedOnceSaved) {
    Board("Ann-1- -8:00- -\r\nBea-1- -8:00- -\r\n");
    RecordingConnection ann, nobody, again, web;
    std::string file_at_reply;
    ann.on_send = [&](const std::string &) { file_at_reply = ReadBytes(DataFile()); };
    std::vector<PendingRequest> batch = {{"#oAnn-9-Bank-10", &ann, "10.0.0.1"},
                                         {"#iNobody-9", &nobody, "10.0.0.2"},
                                         {"#iAnn-9:30", &again, "10.0.0.3"},
                                         {"GET / HTTP/1.1", &web, "10.0.0.4"}};
    std::vector<RequestOutcome::Kind> kinds;
    PublishResult published = DispatchBatch(context_, publisher_, batch, &kinds);
    EXPECT_FALSE(published.Failed());
    EXPECT_EQ(
        (std::vector<RequestOutcome::Kind>{RequestOutcome::Matched, RequestOutcome::NoMatch,
                                           RequestOutcome::Matched, RequestOutcome::NotRequest}),
        kinds);
    // The later request of the batch wins; both are answered after the
    // one save that holds them.
    EXPECT_EQ("Ann-1- -9:30- -\r\nBea-1- -8:00- -\r\n", file_at_reply);
    EXPECT_EQ(std::vector<std::string>{"0\n\r"}, ann.sends);
    EXPECT_EQ(std::vector<std::string>{"0\n\r"}, again.sends);
    EXPECT_EQ(std::vector<std::string>{"1\n\r"}, nobody.sends);
    EXPECT_EQ(std::vector<std::string>{"\n\r"}, web.sends);

    // A failed save answers no member whose change it held; the others
    // still get their replies.
    RecordingConnection bea, stranger;
    SetDir(dir_ / "gone");
    published = DispatchBatch(context_, publisher_,
                              {{"#oBea-9-Out-10", &bea, ""}, {"#oZed-1", &stranger, ""}});
    EXPECT_TRUE(published.save_failed);
    EXPECT_TRUE(bea.sends.empty());
    EXPECT_EQ(std::vector<std::string>{"1\n\r"}, stranger.sends);
}

} // namespace
