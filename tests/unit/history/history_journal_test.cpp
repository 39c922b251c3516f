#include "server/history/history_journal.h"

#include <gtest/gtest.h>

#include "tests/kit/board_test_support.h"

namespace {

ClockTime At(int year, int month, int day, int hour, int minute, int second) {
    ClockTime t{hour, minute, second};
    t.year = year;
    t.month = month;
    t.day = day;
    return t;
}

std::string Line(const JournalEntry &entry) {
    std::string out;
    AppendJournalLine(out, At(2026, 3, 4, 7, 8, 9), entry, 1252);
    return out;
}

TEST(JournalLine, AwkwardFieldsAreQuotedGuardedAndConvertedAndEmptyOnesStayEmpty) {
    JournalEntry plain;
    plain.event = "out";
    plain.name = "Ann";
    plain.time_text = "9:07am";
    plain.destination = "Lunch";
    plain.return_time = " "; // the data file's empty field
    plain.detail = "10.0.0.7";
    EXPECT_EQ(Line(plain), "2026-03-04,07:08:09,out,Ann,9:07am,Lunch,,10.0.0.7\r\n");

    JournalEntry awkward;
    awkward.event = "out";
    awkward.name = "Ren\xE9\xE9";            // "Renéé" in code page 1252
    awkward.destination = "Smith, Jones";    // a comma
    awkward.return_time = "\"soon\" =maybe"; // quotes, and "=" not at the start
    awkward.detail = "line\r\nend";
    EXPECT_EQ(Line(awkward), "2026-03-04,07:08:09,out,Ren\xC3\xA9\xC3\xA9,,\"Smith, Jones\","
                             "\"\"\"soon\"\" =maybe\",\"line\r\nend\"\r\n");

    // What a spreadsheet would run as a formula is written as text; a
    // guarded field that also needs quotes gets both.
    JournalEntry formulas;
    formulas.event = "out";
    formulas.name = "=1+1";
    formulas.time_text = "+41";
    formulas.destination = "@SUM(A1)";
    formulas.return_time = "=HYPERLINK(\"x\",\"y\")";
    EXPECT_EQ(Line(formulas), "2026-03-04,07:08:09,out,'=1+1,'+41,'@SUM(A1),"
                              "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\",\r\n");
    // Blanks before the sign do not hide it, nor do a tab or a CR in front;
    // a "-" leads a formula too, but not inside a field.
    JournalEntry hidden;
    hidden.event = "out";
    hidden.name = "  =cmd|'/c calc'!A1";
    hidden.time_text = "-2+3";
    hidden.destination = "\tLunch";
    hidden.return_time = "\r=1";
    hidden.detail = "a-b";
    EXPECT_EQ(Line(hidden), "2026-03-04,07:08:09,out,'  =cmd|'/c calc'!A1,'-2+3,'\tLunch,"
                            "\"'\r=1\",a-b\r\n");
}

TEST(HistoryJournal, MonthFileGetsHeadOnceAndLinesAppendedAtFlushOnly) {
    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir);
    char path[400];
    ASSERT_TRUE(BuildJournalPath(settings, At(2026, 12, 31, 23, 59, 59), path, sizeof path));
    EXPECT_EQ(path, dir.File("history-2026-12.csv"));

    PlatformFileWriter writer;
    HistoryJournal journal(settings, 1252, writer);
    JournalEntry entry;
    entry.event = "in";
    entry.name = "Ann";
    journal.Add(At(2026, 12, 31, 23, 59, 59), entry);
    EXPECT_EQ(ReadBytes(path), ""); // nothing before the batch's flush
    ASSERT_TRUE(journal.Flush());
    journal.Add(At(2026, 12, 31, 23, 59, 59), entry);
    journal.Add(At(2027, 1, 1, 0, 0, 0), entry); // the new month's file
    ASSERT_TRUE(journal.Flush());

    std::string line = "2026-12-31,23:59:59,in,Ann,,,,\r\n";
    EXPECT_EQ(ReadBytes(path), std::string(kJournalHead) + line + line);
    EXPECT_EQ(ReadBytes(dir.File("history-2027-01.csv")),
              std::string(kJournalHead) + "2027-01-01,00:00:00,in,Ann,,,,\r\n");
    EXPECT_EQ(0u, std::string(kJournalHead)
                      .find("\xEF\xBB\xBF"
                            "date,time,event,name,"));
}

TEST(HistoryJournal, OffWritesNothingAndAFailedFileKeepsItsLinesForTheNextFlush) {
    ScratchDir dir;
    ServerSettings settings = SettingsIn(dir);
    JournalEntry entry;
    entry.event = "in";
    entry.name = "Ann";
    settings.History = false;
    PlatformFileWriter writer;
    HistoryJournal journal(settings, 1252, writer);
    journal.Add(At(2026, 5, 1, 9, 0, 0), entry);
    EXPECT_TRUE(journal.Flush());
    EXPECT_TRUE(FilesIn(dir.path()).empty());

    settings.History = true;
    // A directory where the month's file should be: it cannot be written.
    std::filesystem::create_directory(dir.path() / "history-2026-05.csv");
    journal.Add(At(2026, 5, 1, 9, 0, 0), entry);
    EXPECT_FALSE(journal.Flush());
    EXPECT_EQ(std::string(journal.FailedPath()), dir.File("history-2026-05.csv"));

    std::filesystem::remove(dir.path() / "history-2026-05.csv");
    journal.Add(At(2026, 5, 1, 9, 0, 1), entry);
    EXPECT_TRUE(journal.Flush());
    EXPECT_EQ(ReadBytes(dir.File("history-2026-05.csv")), std::string(kJournalHead) +
                                                              "2026-05-01,09:00:00,in,Ann,,,,\r\n" +
                                                              "2026-05-01,09:00:01,in,Ann,,,,\r\n");

    // Kept lines are bounded: the oldest go first.
    std::filesystem::create_directory(dir.path() / "history-2026-06.csv");
    for (int i = 0; i < 10000; ++i) journal.Add(At(2026, 6, 1, 9, 0, 0), entry);
    EXPECT_LE(journal.KeptBytes(), HistoryJournal::kKeptBytes);
    EXPECT_GT(journal.KeptBytes(), HistoryJournal::kKeptBytes / 2);
}

} // namespace
