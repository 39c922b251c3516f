#include "server/rollcall/roll_call_desk.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "server/history/history_journal.h"
#include "server/publish/publisher.h"
#include "server/rollcall/roll_call_file.h"
#include "server/rollcall/roll_call_follower.h"
#include "tests/kit/doubles/recording_alerts.h"
#include "tests/kit/doubles/recording_connection.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/recording_roll_call_listener.h"

namespace {

struct Desk {
    explicit Desk(const ScratchDir &dir)
        : settings(SettingsIn(dir)), journal(settings, 1252, files.writer) {
        clock.time = ClockTime{10, 15, 0, 2026, 12, 9};
        desk.SetListener(&heard);
        desk.SetJournal(&journal);
        desk.Load();
    }
    RollCallReply Do(RollCallCommand::Kind kind, const char *name = "", bool safe = true) {
        RollCallCommand command;
        command.kind = kind;
        command.name = name;
        command.safe = safe;
        return desk.Apply(command, table, "10.0.0.5");
    }

    PlatformFiles files;
    ServerSettings settings;
    FixedClock clock;
    HistoryJournal journal;
    RecordingRollCallListener heard;
    RollCallDesk desk{settings, clock, 1252, files.reader, files.writer};
    UserTable table = [] {
        UserTable t{};
        Put(t, 0, "Ann", 1, " ", "9:00am", " ");
        Put(t, 1, "Cy", 1, " ", "8:30am", " ");
        t.count = 2;
        return t;
    }();
};

TEST(RollCallDesk, GoesOnAfterARestartMarksAndAll) {
    ScratchDir dir;
    {
        Desk first(dir);
        EXPECT_EQ(first.Do(RollCallCommand::Start).status, 200);
        EXPECT_EQ(first.Do(RollCallCommand::Mark, "Cy").status, 200);
        EXPECT_EQ(first.Do(RollCallCommand::Mark, "Bob").status, 404);
        EXPECT_EQ(first.Do(RollCallCommand::Start).status, 409);
        EXPECT_EQ(first.heard.changes.size(), 2u);
    }
    Desk again(dir);
    EXPECT_TRUE(again.heard.said.empty());
    EXPECT_TRUE(again.desk.Current().running);
    EXPECT_EQ(SafeCount(again.desk.Current()), 1);
    EXPECT_EQ(again.desk.Current().people[1].by, "10.0.0.5");
}

TEST(RollCallDesk, ATornOrForeignFileIsSetAsideAndNotTrusted) {
    for (const char *bytes : {"Tesmar roll call 1\nrunning 1\ndrill 0\n", "Ann-1-x\r\n"}) {
        ScratchDir dir;
        WriteBytes(dir.File("rollcall.dat"), bytes);
        Desk desk(dir);
        EXPECT_FALSE(desk.desk.Current().held);
        ASSERT_EQ(desk.heard.said.size(), 1u);
        EXPECT_NE(desk.heard.said[0].find("not a whole roll call: set aside as"),
                  std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(dir.File("rollcall.dat")));
        EXPECT_EQ(ReadBytes(dir.File("rollcall-set-aside-2026-12-09-101500.dat")), bytes);
    }
}

TEST(RollCallDesk, AFailedSaveIsAnswered503AndTheRollCallStaysAsSaved) {
    ScratchDir dir;
    Desk desk(dir);
    ASSERT_EQ(desk.Do(RollCallCommand::Start).status, 200);
    std::string saved = desk.desk.Json();
    std::filesystem::remove(dir.File("rollcall.dat"));
    std::filesystem::create_directory(dir.File("rollcall.dat"));

    EXPECT_EQ(desk.Do(RollCallCommand::Mark, "Ann").status, 503);
    EXPECT_EQ(desk.Do(RollCallCommand::End).status, 503);
    EXPECT_EQ(desk.desk.Json(), saved);
    EXPECT_TRUE(desk.desk.Current().running);
    ASSERT_FALSE(desk.heard.said.empty());
    EXPECT_EQ(desk.heard.said.back(), "Cannot save " + dir.File("rollcall.dat"));
    EXPECT_EQ(desk.heard.changes.size(), 1u);
}

TEST(RollCallDesk, TheEndWritesTheReportAndTheJournalHasEveryStep) {
    ScratchDir dir;
    Desk desk(dir);
    desk.Do(RollCallCommand::Start);
    desk.clock.time.minute = 17;
    desk.Do(RollCallCommand::Mark, "ann");
    desk.clock.time.minute = 40;
    EXPECT_EQ(desk.desk.Report(), "");
    EXPECT_EQ(desk.Do(RollCallCommand::End).status, 200);

    std::string report = ReadBytes(dir.File("rollcall-2026-12-09-1015.csv"));
    EXPECT_NE(report.find("Ann,safe,10:17,10.0.0.5,2026-12-09 10:15:00,2026-12-09 10:40:00,no\r\n"),
              std::string::npos);
    EXPECT_EQ(desk.desk.Report(), report);
    std::string history = ReadBytes(dir.File("history-2026-12.csv"));
    EXPECT_NE(history.find("10:15:00,rollcall-start,,0 of 2 safe,,,10.0.0.5\r\n"),
              std::string::npos);
    EXPECT_NE(history.find("10:17:00,rollcall-safe,Ann,1 of 2 safe,,,10.0.0.5\r\n"),
              std::string::npos);
    EXPECT_NE(history.find("10:40:00,rollcall-end,,1 of 2 safe,,,10.0.0.5\r\n"), std::string::npos);
}

TEST(RollCallDesk, ASignOutOfSomeoneMissingIsSavedAsLeftBeforeItsReply) {
    ScratchDir dir;
    Desk desk(dir);
    desk.Do(RollCallCommand::Start);
    RollCallFollower follower(desk.desk, nullptr);
    Publisher publisher{desk.files.reader, desk.files.writer};
    publisher.SetJournal(&follower);
    RecordingAlerts alerts;
    BoardContext board{desk.table, desk.settings, alerts, desk.clock};
    desk.table.slots[0].in_out = 0;
    BoardChange out;
    out.kind = BoardChange::SignedOut;
    out.name = "Ann";
    out.peer = "10.0.0.7";

    RollCall at_reply;
    RecordingConnection reply;
    StandardFileReader reader;
    reply.on_send = [&](const std::string &) {
        ReadRollCallFile(reader, dir.File("rollcall.dat").c_str(), at_reply);
    };
    publisher.Publish(board, {out}, {&reply});
    ASSERT_EQ(reply.Sent(), "0\n\r");
    ASSERT_EQ(at_reply.people.size(), 2u);
    EXPECT_EQ(at_reply.people[0].state, RollState::Left);
    EXPECT_EQ(ExpectedCount(desk.desk.Current()), 1);
    EXPECT_EQ(desk.heard.changes.size(), 2u);
}

} // namespace
