// The daily reset of a running tesmar.exe, and the reset made at the start
// after one was missed: on disk and on the page.
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>

#include "common/clock.h"
#include "common/clock_text.h"
#include "server/reset/daily_reset.h"
#include "tests/e2e/server/server_fixture.h"

namespace {

using e2e::Exchange;

ClockTime LocalNow(int plus_seconds = 0) {
    time_t when = std::time(nullptr) + plus_seconds;
    tm local;
    localtime_r(&when, &local);
    ClockTime now{local.tm_hour, local.tm_min, local.tm_sec};
    now.year = local.tm_year + 1900;
    now.month = local.tm_mon + 1;
    now.day = local.tm_mday;
    return now;
}

std::string DateText(const CalendarDate &date) {
    char text[16];
    FormatDate(date, text, sizeof text);
    return text;
}

std::string DaysAgo(int days) {
    ClockTime then = LocalNow(-days * 24 * 3600);
    CalendarDate date;
    date.year = then.year;
    date.month = then.month;
    date.day = then.day;
    return DateText(date);
}

// Waits (at most timeout_ms) until the data file holds text.
bool BoardComesToHold(ServerTest &test, const std::string &file, const std::string &text,
                      int timeout_ms) {
    long long end = e2e::NowMs() + timeout_ms;
    while (e2e::NowMs() < end) {
        if (ReadBytes(file).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return false;
}

class DailyResetTest : public ServerTest {
  protected:
    std::string LastReset() const { return work + "/board/lastreset.txt"; }
    // This month's journal (the tests do not run across a month's end).
    std::string Journal() const {
        ClockTime now = LocalNow();
        char name[32];
        std::snprintf(name, sizeof name, "/board/history-%04d-%02d.csv", now.year, now.month);
        return ReadBytes(work + name);
    }
    void SetResetTime(const std::string &text) { SetSetting("ResetTime", text); }
};

TEST_F(DailyResetTest, AResetTimeAMinuteAheadSignsTheInMembersOutAndLeavesTheOthers) {
    ClockTime at = LocalNow(60);
    char reset_time[8], time_text[kClockTextCapacity];
    std::snprintf(reset_time, sizeof reset_time, "%02d:%02d", at.hour, at.minute);
    FormatClockTime(at, time_text, sizeof time_text);
    SetResetTime(reset_time);
    // Reset last yesterday: today's comes at its time (or at once, should
    // the start take longer than the minute).
    e2e::WriteFile(LastReset(), DaysAgo(1) + "\r\n");
    StartServer("Ann-1- -09:00- -\r\n"
                "Bob-0-Holiday-17:00-Monday-\r\n"
                "Carol-1-Lunch-08:30-13:00-\r\n");
    EXPECT_EQ(Board(),
              "Ann-1- -09:00- -\r\nBob-0-Holiday-17:00-Monday-\r\nCarol-1-Lunch-08:30-13:00-\r\n");

    std::string after = std::string("Ann-0- -") + time_text + "- -\r\n" +
                        "Bob-0-Holiday-17:00-Monday-\r\n" + "Carol-0- -" + time_text + "- -\r\n";
    ASSERT_TRUE(BoardComesToHold(*this, DataFile(), after, 150000)) << Board();
    EXPECT_EQ(Board(), after);
    // The page, the journal and the reset's date follow the data file.
    std::string made = DateText(LatestResetDate(LocalNow(), at.hour, at.minute)) + "\r\n";
    EXPECT_TRUE(BoardComesToHold(*this, LastReset(), made, 30000)) << ReadBytes(LastReset());
    std::string page = ReadBytes(PageFile());
    for (const char *name : {"Ann", "Carol"}) {
        EXPECT_NE(page.find(std::string("<TH ALIGN=LEFT>") + name + "</TH>\r\n<TH> </TH>\r\n<TH>" +
                            time_text + "</TH>\r\n<TH></TH>\r\n<TH></TH>"),
                  std::string::npos)
            << name << " out at the reset's time on the page:\n"
            << page;
    }
    EXPECT_NE(page.find("<TH ALIGN=LEFT>Bob</TH>\r\n<TH> </TH>\r\n<TH>17:00</TH>\r\n"
                        "<TH>Holiday</TH>\r\n<TH>Monday</TH>"),
              std::string::npos);
    // One journal line for each member reset.
    std::string journal = Journal();
    for (const char *name : {"Ann", "Carol"})
        EXPECT_NE(journal.find(std::string(",reset,") + name + "," + time_text + ",,,\r\n"),
                  std::string::npos)
            << journal;
    EXPECT_EQ(journal.find(",Bob,"), std::string::npos) << journal;
}

TEST_F(DailyResetTest, ARestartAfterAMissedResetMakesItOnce) {
    SetResetTime("00:00");
    e2e::WriteFile(LastReset(), DaysAgo(3) + "\r\n");
    StartServer("Ann-1- -09:00- -\r\nBob-0-Holiday-17:00-Monday-\r\n");
    std::string reset = "Ann-0- -0:00am- -\r\nBob-0-Holiday-17:00-Monday-\r\n";
    ASSERT_TRUE(BoardComesToHold(*this, DataFile(), reset, 30000)) << Board();
    EXPECT_TRUE(e2e::FileExists(PageFile()));
    EXPECT_TRUE(BoardComesToHold(*this, LastReset(), DaysAgo(0) + "\r\n", 30000))
        << ReadBytes(LastReset());

    EXPECT_EQ(Exchange(port, "#iAnn-09:05\n\r").bytes, "0\n\r");
    EXPECT_EQ(StopServer(), 0);
    StartServer(Board());
    EXPECT_EQ(Exchange(port, "#oNobody-1-2-3\n\r").bytes, "1\n\r"); // the start is over
    EXPECT_EQ(Board(), "Ann-1- -09:05- -\r\nBob-0-Holiday-17:00-Monday-\r\n");
    std::string journal = Journal();
    size_t first = journal.find(",reset,Ann,0:00am,,,\r\n");
    EXPECT_NE(first, std::string::npos) << journal;
    EXPECT_EQ(journal.find(",reset,", first + 1), std::string::npos) << journal;
}

} // namespace
