#include "server/page/live_page.h"

#include "common/clock.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "tests/kit/board_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct LivePageTest : ::testing::Test {
    void SetUp() override {
        ClearTable(table);
        std::memset(&settings, 0, sizeof settings);
        std::strcpy(settings.Header, "<h1 class=x>Our <b>board</h1>");
        std::strcpy(settings.Footer, "<p>50% off</p>");
    }
    std::string Page(bool wall = false) {
        std::string out;
        LiveView view;
        view.wall = wall;
        AppendLivePage(out, table, settings, ClockTime{15, 0, 0}, view);
        return out;
    }
    UserTable table;
    ServerSettings settings;
};

bool Has(const std::string &page, const char *text) { return page.find(text) != std::string::npos; }

} // namespace

TEST_F(LivePageTest, RowsCountsAndOverdueAreInTheHtmlWithTypedTextEscaped) {
    Put(table, 0, "Ann <b>", 0, "Bank & \"Co\"", "9:00am", "2:30pm");
    Put(table, 1, "Bob", 1, "gone", "8:15am", "5pm");
    Put(table, 2, "Carl", 0, " ", "10:00am", "Monday");
    table.count = 3;
    std::string page = Page();
    EXPECT_TRUE(Has(page, "<tr class=\"out overdue\"><td class=\"name\">Ann &lt;b&gt;</td>"));
    EXPECT_TRUE(Has(page, "Bank &amp; &quot;Co&quot;"));
    EXPECT_FALSE(Has(page, "Ann <b>"));
    // In: the time only, the leftover destination not shown.
    EXPECT_TRUE(Has(page, "<tr class=\"in\"><td class=\"name\">Bob</td>"));
    EXPECT_FALSE(Has(page, "gone"));
    // Not a clock time: out but not overdue; the one-space field is empty.
    EXPECT_TRUE(Has(page,
                    "<tr class=\"out\"><td class=\"name\">Carl</td><td class=\"status\">Out</td>"
                    "<td class=\"time\" data-label=\"Out at\">10:00am</td>"
                    "<td class=\"dest\" data-label=\"Destination\"></td>"));
    EXPECT_TRUE(Has(page, "id=\"n-in\">1</span>"));
    EXPECT_TRUE(Has(page, "id=\"n-out\">2</span>"));
    EXPECT_TRUE(Has(page, settings.Header));
    EXPECT_TRUE(Has(page, settings.Footer));
    EXPECT_TRUE(Has(page, "id=\"search\""));
    EXPECT_TRUE(Has(page, "new EventSource('/events')"));
}

TEST_F(LivePageTest, SignInPanelOnlyWhenAllowedAndNeverOnTheWall) {
    Put(table, 0, "Ann", 1, " ", "9:00am", " ");
    table.count = 1;
    EXPECT_FALSE(Has(Page(), "id=\"sign\""));
    settings.WebSignIn = true;
    EXPECT_TRUE(Has(Page(), "id=\"sign\""));
    EXPECT_TRUE(Has(Page(), "<option>Ann</option>"));
    std::string wall = Page(true);
    EXPECT_TRUE(Has(wall, "<body class=\"wall\">"));
    EXPECT_FALSE(Has(wall, "id=\"sign\""));
    EXPECT_FALSE(Has(wall, "id=\"search\""));
    EXPECT_TRUE(Has(wall, "<td class=\"name\">Ann</td>"));
}

TEST_F(LivePageTest, PanelFirstTimeOfTheLastChangeAndNoAttributeAPolicyWouldRefuse) {
    Put(table, 0, "Ann", 1, " ", "9:00am", " ");
    table.count = 1;
    settings.WebSignIn = true;
    settings.Header[0] = settings.Footer[0] = '\0';
    std::string page = Page();
    ASSERT_NE(std::string::npos, page.find("id=\"sign\""));
    EXPECT_LT(page.find("id=\"sign\""), page.find("<table"));
    EXPECT_TRUE(Has(page, "Updated <span id=\"made\">3:00pm</span>"));
    std::string night;
    AppendLivePage(night, table, settings, ClockTime{0, 5, 0}, LiveView{});
    EXPECT_TRUE(Has(night, "Updated <span id=\"made\">12:05am</span>"));
    // The style sheet and the script go in whole, and nothing else inline.
    EXPECT_TRUE(Has(page, (std::string("<style>") + LivePageStyles() + "</style>").c_str()));
    EXPECT_TRUE(Has(page, (std::string("<script>") + LivePageScript() + "</script>").c_str()));
    for (const char *attribute : {" style=", " onclick=", " onchange=", " onsubmit=", " onload="})
        EXPECT_FALSE(Has(page, attribute)) << attribute;
}
