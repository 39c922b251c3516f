// The board page as a browser shows it: tesmar.exe runs under Wine in a
// private prefix with a board of six users, two of them are signed out
// over TCP with mark-up for destination and return time, and the page the
// server then writes is opened in headless Chromium. The checks read the
// document Chromium built (--dump-dom): every user in a row of the right
// cells, the mark-up shown as text with nothing run, the default header
// and footer around the table. The same page over the server's web port
// must give the same document. A screenshot is left in the build folder.
#include <gtest/gtest.h>

#include "tests/e2e/browser/chromium.h"
#include "tests/e2e/browser/dumped_dom.h"
#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using browser::Node;

constexpr int kChromiumMs = 60000;

// Mark-up a member could type into the client's fields. The first would
// open an alert box; the second would change the page's title from an
// event handler as soon as the element loads.
const char kScriptDestination[] = "<script>alert(1)</script>";
const char kHandlerDestination[] = "<svg onload=document.title=1>";
const char kQuotedReturn[] = "\"Fri\" & <b>later</b>";

// What the page's table must show, row by row: name, In, Out,
// Destination, Return time. A blank cell holds one space.
struct Row {
    std::string name, in, out, destination, return_time;
};

const std::vector<Row> &ExpectedRows() {
    // Board order, as the data file holds it: sorted by name, case folded
    // (each request reloads the records from the file in its order).
    static const std::vector<Row> rows = {
        {"Alice Archer", "8:55am", " ", " ", " "},
        {"Bob Baker", " ", "10:15am", kScriptDestination, "2:00pm"},
        {"Carol & Co", " ", "9:10am", "Lunch", "1:00pm"},
        {"Dan <i>D</i>", "9:02am", " ", " ", " "},
        {"Eve", " ", "11:40am", kHandlerDestination, kQuotedReturn},
        {"zed", " ", " ", " ", " "},
    };
    return rows;
}

std::string ReplaceAll(std::string text, const std::string &from, const std::string &to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string TitleOf(const Node &document) {
    auto titles = document.All("title");
    return titles.empty() ? "(no title)" : titles[0]->Text();
}

class BoardPageInChromium : public ::testing::Test {
  protected:
    // One server run and one page for all the checks: starting Wine and
    // Chromium is the slow part.
    static void SetUpTestSuite() {
        chromium_ = new std::string(browser::FindChromium());
        server_ = new e2e::TesmarServer(e2e::ScratchDir("browser.page"), 0);
        // name, flag, destination, time, return time
        e2e::WriteFile(server_->DataFile(), "Alice Archer-1- -8:55am- -\r\n"
                                            "Bob Baker-1- -8:30am- -\r\n"
                                            "Carol & Co-0-Lunch-9:10am-1:00pm-\r\n"
                                            "Dan <i>D</i>-1- -9:02am- -\r\n"
                                            "Eve-0-Home-8:00am- -\r\n"
                                            "zed-0- - - -\r\n");
        server_->EnableWebPort();
        setup_error_ = new std::string;
        if (!e2e::FileExists(e2e::TesmarExe()))
            *setup_error_ = "no " + e2e::TesmarExe() + " (build the windows preset first)";
        else if (!server_->Start())
            *setup_error_ = server_->StartFailure();
        if (!setup_error_->empty()) return;
        // The page is written only when the board changes: two sign-outs.
        std::string reply = e2e::Exchange(server_->port(), std::string("#oBob Baker-10:15am-") +
                                                               kScriptDestination + "-2:00pm\n\r")
                                .bytes;
        if (reply != "0\n\r") {
            *setup_error_ = "sign-out of Bob Baker answered \"" + reply + "\"";
            return;
        }
        reply = e2e::Exchange(server_->port(), std::string("#oEve-11:40am-") + kHandlerDestination +
                                                   "-" + kQuotedReturn + "\n\r")
                    .bytes;
        if (reply != "0\n\r") {
            *setup_error_ = "sign-out of Eve answered \"" + reply + "\"";
            return;
        }
        page_ = new std::string(ReadBytes(server_->page()));
        if (chromium_->empty()) return;
        dump_ =
            new browser::ChromiumRun(browser::DumpDom(*chromium_, server_->page(), kChromiumMs));
        std::string error;
        document_ = browser::ParseDumpedDom(dump_->out, error).release();
        parse_error_ = error;
        web_dump_ = new browser::ChromiumRun(browser::DumpUrl(
            *chromium_, "http://127.0.0.1:" + std::to_string(server_->web_port()) + "/board.html",
            kChromiumMs));
    }

    static void TearDownTestSuite() {
        delete document_;
        delete dump_;
        delete web_dump_;
        delete page_;
        delete server_; // ends the server with its prefix
        e2e::RemoveTree(e2e::ScratchDir("browser.page"));
        delete setup_error_;
        delete chromium_;
        document_ = nullptr;
        dump_ = nullptr;
        web_dump_ = nullptr;
        page_ = nullptr;
        server_ = nullptr;
        setup_error_ = nullptr;
        chromium_ = nullptr;
    }

    // Every test needs Chromium, the server's page and Chromium's document:
    // a missing browser is a failure, never a skip.
    void SetUp() override {
        ASSERT_FALSE(chromium_->empty())
            << "chromium is not installed (scripts/setup installs Debian's chromium)";
        ASSERT_EQ(*setup_error_, "") << "the server did not write its page";
        ASSERT_TRUE(dump_ && dump_->started) << "chromium could not be started";
        ASSERT_TRUE(dump_->finished) << "chromium did not finish within " << kChromiumMs << " ms:\n"
                                     << dump_->err;
        ASSERT_EQ(dump_->status, 0) << dump_->err;
        ASSERT_TRUE(document_) << "the dumped document does not read back: " << parse_error_ << "\n"
                               << dump_->out;
    }

    static const Node &Document() { return *document_; }

    // The rows of the page's one table, each as the texts of its cells.
    static std::vector<std::vector<std::string>> TableRows(const Node &document = Document()) {
        std::vector<std::vector<std::string>> rows;
        auto tables = document.All("table");
        if (tables.size() != 1) return rows;
        for (const Node *tr : tables[0]->All("tr")) {
            std::vector<std::string> cells;
            for (const Node *cell : tr->Elements()) cells.push_back(cell->tag + ":" + cell->Text());
            rows.push_back(cells);
        }
        return rows;
    }

    static std::string *chromium_;
    static e2e::TesmarServer *server_;
    static std::string *setup_error_;
    static std::string *page_;
    static browser::ChromiumRun *dump_;
    static browser::ChromiumRun *web_dump_; // the page from the web port
    static Node *document_;
    static std::string parse_error_;
};

std::string *BoardPageInChromium::chromium_ = nullptr;
e2e::TesmarServer *BoardPageInChromium::server_ = nullptr;
std::string *BoardPageInChromium::setup_error_ = nullptr;
std::string *BoardPageInChromium::page_ = nullptr;
browser::ChromiumRun *BoardPageInChromium::dump_ = nullptr;
browser::ChromiumRun *BoardPageInChromium::web_dump_ = nullptr;
Node *BoardPageInChromium::document_ = nullptr;
std::string BoardPageInChromium::parse_error_;

TEST_F(BoardPageInChromium, TableShowsEveryUserInBoardOrderWithTheirColumns) {
    auto rows = TableRows();
    ASSERT_EQ(rows.size(), ExpectedRows().size() + 1) << Document().Text();
    // Every cell, data cells included, is a header cell.
    EXPECT_EQ(rows[0], (std::vector<std::string>{"th:Name", "th:In", "th:Out", "th:Destination",
                                                 "th:Return time"}));
    for (size_t i = 0; i < ExpectedRows().size(); ++i) {
        const Row &want = ExpectedRows()[i];
        EXPECT_EQ(rows[i + 1],
                  (std::vector<std::string>{"th:" + want.name, "th:" + want.in, "th:" + want.out,
                                            "th:" + want.destination, "th:" + want.return_time}))
            << "row " << i + 1;
    }
    // The name column is left-aligned, the others centred (the browser's
    // default for header cells).
    auto tables = Document().All("table");
    for (const Node *tr : tables[0]->All("tr")) {
        auto cells = tr->Elements();
        ASSERT_FALSE(cells.empty());
        EXPECT_EQ(cells[0]->Attr("align"), "LEFT");
        for (size_t c = 1; c < cells.size(); ++c) EXPECT_EQ(cells[c]->Attr("align"), "");
    }
    EXPECT_EQ(tables[0]->attrs.count("border"), 1u);
}

TEST_F(BoardPageInChromium, TheWebPortServesThePageThatGivesTheSameDocument) {
    ASSERT_TRUE(web_dump_->finished) << web_dump_->err;
    ASSERT_EQ(web_dump_->status, 0) << web_dump_->err;
    // Every check of this suite on the file's document holds for it.
    EXPECT_EQ(dump_->out, web_dump_->out);
    std::string error;
    std::unique_ptr<Node> document = browser::ParseDumpedDom(web_dump_->out, error);
    ASSERT_TRUE(document) << error << "\n" << web_dump_->out;
    EXPECT_EQ(TableRows(*document), TableRows());
    EXPECT_EQ(TableRows(*document).size(), ExpectedRows().size() + 1);
}

TEST_F(BoardPageInChromium, MarkupTypedIntoFieldsShowsAsTextAndRunsNothing) {
    // No element came from the fields: no script, no svg, no bold or italic.
    for (const char *tag : {"script", "svg", "b", "i", "img", "iframe"}) {
        size_t in_table = 0;
        for (const Node *node : Document().All(tag))
            if (node->Ancestor("table")) ++in_table;
        EXPECT_EQ(in_table, 0u) << "a <" << tag << "> element inside the table";
    }
    EXPECT_TRUE(Document().All("script").empty());
    // Nothing carries an event handler.
    std::vector<const Node *> stack = {&Document()};
    while (!stack.empty()) {
        const Node *node = stack.back();
        stack.pop_back();
        for (const auto &attr : node->attrs)
            EXPECT_NE(attr.first.rfind("on", 0), 0u)
                << "<" << node->tag << "> has the handler " << attr.first;
        for (const auto &child : node->children) stack.push_back(child.get());
    }
    // The handler would have set the title; an alert would have held the
    // page open so that --dump-dom never finished (SetUp checked it did).
    EXPECT_EQ(TitleOf(Document()), "IN-OUT LOG");
    // The typed text itself is there, character for character, in its cell;
    // the rows test above compares every cell, this names the point.
    auto rows = TableRows();
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[2][3], std::string("th:") + kScriptDestination);
    EXPECT_EQ(rows[5][3], std::string("th:") + kHandlerDestination);
    EXPECT_EQ(rows[5][4], std::string("th:") + kQuotedReturn);
    EXPECT_EQ(rows[4][0], "th:Dan <i>D</i>");
    // In the file they are entities.
    EXPECT_NE(page_->find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_EQ(page_->find("<script"), std::string::npos);
}

TEST_F(BoardPageInChromium, TheSameMarkupUnescapedWouldRunInThisBrowser) {
    // The control for the test above: the server's own page with the
    // fields' entities turned back into mark-up does run the handler and a
    // script in the same Chromium, so the checks above can fail.
    std::string raw =
        ReplaceAll(*page_, "&lt;svg onload=document.title=1&gt;", kHandlerDestination);
    raw = ReplaceAll(raw, "&lt;script&gt;alert(1)&lt;/script&gt;",
                     "<script>document.body.setAttribute('data-ran','yes')</script>");
    ASSERT_NE(raw, *page_);
    std::string path = server_->work() + "/unescaped.htm";
    e2e::WriteFile(path, raw);
    browser::ChromiumRun run = browser::DumpDom(*chromium_, path, kChromiumMs);
    ASSERT_TRUE(run.finished) << run.err;
    std::string error;
    std::unique_ptr<Node> document = browser::ParseDumpedDom(run.out, error);
    ASSERT_TRUE(document) << error;
    EXPECT_EQ(TitleOf(*document), "1");
    EXPECT_EQ(document->All("script").size(), 1u);
    ASSERT_EQ(document->All("body").size(), 1u);
    EXPECT_EQ(document->All("body")[0]->Attr("data-ran"), "yes");
}

TEST_F(BoardPageInChromium, DefaultHeaderAndFooterFrameTheTableInACentredDivision) {
    // The header's title line.
    bool title_line = false;
    for (const Node *p : Document().All("p"))
        if (p->Attr("align") == "center" && p->Text().find("KVT In/Out Log") != std::string::npos)
            title_line = true;
    EXPECT_TRUE(title_line) << "no centred paragraph with \"KVT In/Out Log\"";
    // The header opens a centred division and the footer closes it: the
    // table stands inside it, and inside the Arial font the header opens.
    auto tables = Document().All("table");
    ASSERT_EQ(tables.size(), 1u);
    const Node *division = tables[0]->Ancestor("div");
    ASSERT_NE(division, nullptr) << "the table is not inside a division";
    EXPECT_EQ(division->Attr("align"), "center");
    const Node *font = tables[0]->Ancestor("font");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Attr("face"), "Arial");
    // The header's <body ...> tag gives its colours to the page's body.
    auto bodies = Document().All("body");
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0]->Attr("bgcolor"), "#FFFFFF");
    // The page reloads itself every minute.
    bool refresh = false;
    for (const Node *meta : Document().All("meta"))
        if (meta->Attr("http-equiv") == "Refresh" && meta->Attr("content") == "60") refresh = true;
    EXPECT_TRUE(refresh);
    EXPECT_EQ(TitleOf(Document()), "IN-OUT LOG");
}

TEST_F(BoardPageInChromium, ScreenshotOfThePage) {
    std::string png = std::string(BROWSER_SHOT_DIR) + "/board_page.png";
    std::remove(png.c_str());
    browser::ChromiumRun run =
        browser::Screenshot(*chromium_, server_->page(), png, 800, 440, kChromiumMs);
    ASSERT_TRUE(run.finished) << run.err;
    int width = 0, height = 0;
    ASSERT_TRUE(browser::PngSize(png, width, height)) << "no PNG at " << png << "\n" << run.err;
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 440);
    std::printf("board page screenshot: %s\n", png.c_str());
}

} // namespace
