#include "server/history/history_recorder.h"
#include "server/publish/batch_dispatch.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/recording_alerts.h"
#include "tests/kit/doubles/recording_connection.h"

namespace {

// A change as the handlers report it: with the record as it left it (the
// slot of the table given, none for a delete).
BoardChange Change(BoardChange::Kind kind, const UserRecord *record, const char *name,
                   const char *old_name = "", const char *peer = "") {
    BoardChange change;
    change.kind = kind;
    change.name = name;
    change.old_name = old_name;
    change.peer = peer;
    if (record) change.record = *record;
    return change;
}

TEST(HistoryRecorder, EachPublishedChangeLeavesItsLineAndAFailedJournalHoldsNoReplyBack) {
    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir);
    UserTable table{};
    Put(table, 0, "Ann", 0, "Smith, Jones", "12:00", "1:30pm");
    Put(table, 1, "Cy", 1, "Old place", "9:15am", "never");
    Put(table, 2, "Eve", 1, " ", "12:00", " ");
    table.count = 3;
    ClockTime now{17, 45, 9};
    now.year = 2026;
    now.month = 12;
    now.day = 8;
    FixedClock clock(now);
    RecordingAlerts alerts;
    BoardContext board{table, settings, alerts, clock};
    PlatformFiles files;
    HistoryJournal journal(settings, 1252, files.writer);
    HistoryRecorder recorder(journal, clock);
    Publisher publisher{files.reader, files.writer};
    publisher.SetJournal(&recorder);

    RecordingConnection reply;
    std::string journal_at_reply;
    reply.on_send = [&](const std::string &) {
        journal_at_reply = ReadBytes(dir.File("history-2026-12.csv"));
    };
    PublishResult result =
        publisher.Publish(board,
                          {Change(BoardChange::SignedOut, &table.slots[0], "Ann", "", "10.0.0.7"),
                           Change(BoardChange::SignedIn, &table.slots[1], "Cy", "", "10.0.0.8"),
                           Change(BoardChange::Renamed, &table.slots[1], "Cy", "Carl"),
                           Change(BoardChange::Deleted, nullptr, "Dan"),
                           Change(BoardChange::Added, &table.slots[2], "Eve"),
                           Change(BoardChange::Reset, &table.slots[0], "Ann")},
                          {&reply});
    EXPECT_FALSE(result.journal_failed);
    EXPECT_EQ(reply.Sent(), "0\n\r");
    EXPECT_EQ(ReadBytes(dir.File("history-2026-12.csv")),
              std::string(kJournalHead) +
                  "2026-12-08,17:45:09,out,Ann,12:00,\"Smith, Jones\",1:30pm,10.0.0.7\r\n"
                  "2026-12-08,17:45:09,in,Cy,9:15am,,,10.0.0.8\r\n"
                  "2026-12-08,17:45:09,renamed,Cy,9:15am,,,Carl\r\n"
                  "2026-12-08,17:45:09,deleted,Dan,,,,\r\n"
                  "2026-12-08,17:45:09,added,Eve,12:00,,,\r\n"
                  "2026-12-08,17:45:09,reset,Ann,12:00,\"Smith, Jones\",1:30pm,\r\n");
    // Written before the member was answered.
    EXPECT_EQ(journal_at_reply, ReadBytes(dir.File("history-2026-12.csv")));

    // The next month's file cannot be made: the board is saved and the
    // member answered all the same, and the publication says so.
    clock.time.month = 1;
    clock.time.year = 2027;
    std::filesystem::create_directory(dir.path() / "history-2027-01.csv");
    RecordingConnection second;
    result = publisher.Publish(board, {Change(BoardChange::SignedIn, &table.slots[2], "Eve")},
                               {&second});
    EXPECT_TRUE(result.journal_failed);
    EXPECT_FALSE(result.save_failed);
    EXPECT_EQ(second.Sent(), "0\n\r");
    EXPECT_EQ(std::string(journal.FailedPath()), dir.File("history-2027-01.csv"));
}

// Two clients' requests for one member arrive together: each line says
// what its own request did, not what the member's record held at the end
// of the batch; the administrator's edits of one publication likewise.
TEST(HistoryRecorder, ChangesPublishedTogetherEachKeepTheirOwnRecord) {
    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir);
    UserTable table{};
    Put(table, 0, "Ann", 0, "Home", "8:00", "9:00");
    table.count = 1;
    ClockTime now{9, 6, 0};
    now.year = 2026;
    now.month = 12;
    now.day = 8;
    FixedClock clock(now);
    RecordingAlerts alerts;
    BoardContext board{table, settings, alerts, clock};
    PlatformFiles files;
    HistoryJournal journal(settings, 1252, files.writer);
    HistoryRecorder recorder(journal, clock);
    Publisher publisher{files.reader, files.writer};
    publisher.SetJournal(&recorder);
    ASSERT_FALSE(publisher.Publish(board, {}, {}).Failed());

    RecordingConnection first, second;
    ASSERT_FALSE(DispatchBatch(board, publisher,
                               {{"#iAnn-09:00", &first, "10.0.0.1"},
                                {"#oAnn-09:05-Lunch-10:00", &second, "10.0.0.2"}})
                     .Failed());
    BoardChange added, renamed;
    ASSERT_TRUE(AddUser(board, "Bob", &added));
    // Bob is out by the time both are published.
    table.slots[1].in_out = 0;
    std::strcpy(table.slots[1].destination, "Away");
    ASSERT_TRUE(RenameUser(board, "Ann", "Anna", &renamed));
    ASSERT_FALSE(publisher.Publish(board, {added, renamed}, {}).Failed());
    EXPECT_EQ(ReadBytes(dir.File("history-2026-12.csv")),
              std::string(kJournalHead) +
                  "2026-12-08,09:06:00,in,Ann,09:00,,,10.0.0.1\r\n"
                  "2026-12-08,09:06:00,out,Ann,09:05,Lunch,10:00,10.0.0.2\r\n"
                  "2026-12-08,09:06:00,added,Bob,12:00,,,\r\n"
                  "2026-12-08,09:06:00,renamed,Anna,09:05,Lunch,10:00,Ann\r\n");
}

} // namespace
