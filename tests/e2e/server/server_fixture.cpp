#include "tests/e2e/server/server_fixture.h"

#include <cstdio>
#include <ctime>

#include "common/clock.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/board_page.h"
#include "server/page/page_defaults.h"

void ServerTest::SetUp() {
    // A missing program is a failure, never a skip.
    if (e2e::KindUnderTest() == e2e::ServerKind::Native)
        ASSERT_TRUE(e2e::FileExists(e2e::NativeTesmar())) << e2e::NativeTesmar() << " is missing";
    else
        ASSERT_TRUE(e2e::FileExists(e2e::TesmarExe()))
            << e2e::TesmarExe()
            << " is missing: build the windows preset first (or set WINDOWS_BUILD_DIR)";
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    work = e2e::ScratchDir(std::string("e2e.") + info->test_suite_name() + "." + info->name());
    e2e::TesmarSetup setup;
    setup.work_name = "board";
    setup.page = work + "/board/board.html";
    setup.settings = preset_settings;
    setup.output = work + "/tesmar.out";
    setup.in_work = false;
    tesmar = std::make_unique<e2e::TesmarServer>(work, 0, setup);
    if (!Native()) prefix = &tesmar->prefix();
    port = tesmar->port();
    if (preset_settings) SetSetting("History", "TRUE");
}

void ServerTest::TearDown() {
    prefix = nullptr;
    tesmar.reset(); // ends everything in the prefix
    // A case skipped before its SetUp made anything has no directory.
    if (!HasFailure() && !work.empty()) e2e::RemoveTree(work);
}

void ServerTest::StartServer(const std::string &board) {
    e2e::WriteFile(DataFile(), board);
    ASSERT_TRUE(tesmar->Start(60000)) << tesmar->StartFailure();
    server = tesmar->pid();
}

int ServerTest::StopServer() { return tesmar->Close(30000); }

::testing::AssertionResult ServerTest::PageShows(const std::string &board, long long since_s) {
    std::string page = ReadBytes(PageFile());
    static UserTable table;
    LoadBoardFromBytes(table, board.data(), board.size());
    SortAndCompact(table);
    static ServerSettings settings;
    settings = ServerSettings{};
    std::snprintf(settings.Header, sizeof settings.Header, "%s", kDefaultHeader);
    std::snprintf(settings.Footer, sizeof settings.Footer, "%s", kDefaultFooter);
    static char expected[kBoardPageCapacity];
    for (long long t = since_s; t <= static_cast<long long>(std::time(nullptr)); ++t) {
        time_t when = static_cast<time_t>(t);
        tm local;
        localtime_r(&when, &local);
        ClockTime now = {local.tm_hour, local.tm_min, local.tm_sec};
        size_t size = FormatBoardPage(table, settings, now, expected, sizeof expected);
        if (page == std::string(expected, size)) return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the page differs from the board's page:\n" << page;
}
