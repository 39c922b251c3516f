// The administration API on a board in a scratch directory, published by
// the real publisher with its history journal, as the shell hands it in.
#include "server/admin/admin_api.h"
#include "server/admin/admin_routes.h"

#include <gtest/gtest.h>

#include "tests/kit/doubles/scratch_admin_host.h"
#include "tests/kit/doubles/scripted_key_gate.h"

#include <string>
#include <vector>

#include "common/fixed_text.h"
#include "common/key_hash.h"
#include "common/sha256.h"
#include "server/board/board_file.h"
#include "server/page/admin_page.h"
#include "server/web/http_request.h"
#include "server/web/key_lockout.h"
#include "tests/kit/board_test_support.h"

namespace {

class AdminTest : public ::testing::Test {
  protected:
    AdminTest() : host(dir) { key.Set(MakeKeyHash(host.crypto, "the admin key", 2)); }

    AdminAnswer Ask(const std::string &method, const std::string &target,
                    const std::string &body = "", const std::string &bearer = "the admin key") {
        AdminRequest request;
        request.method = method;
        size_t query = target.find('?');
        request.path = target.substr(0, query);
        request.query = query == std::string::npos ? "" : target.substr(query + 1);
        request.host = "board.office:8080";
        request.content_type = "application/json";
        request.authorization = "Bearer " + bearer;
        request.body = body;
        request.peer = "10.0.0.5";
        return AnswerAdmin(request, host, key, gate, {"board.office"}, 1252);
    }
    int Status(const std::string &method, const std::string &target, const std::string &body = "") {
        return Ask(method, target, body).reply.status;
    }
    std::string DataFile() { return ReadBytes(dir.File("tesmar.dat")); }

    ScratchDir dir;
    ScratchAdminHost host;
    HashedKey key;
    ScriptedKeyGate gate;
};

} // namespace

TEST_F(AdminTest, MemberEditsGoTheUserManagersWayWithItsRefusals) {
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": "Cy"})"), 200);
    EXPECT_NE(DataFile().find("Cy"), std::string::npos);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": "Cy"})"), 409);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": "Jo-Ann"})"), 400);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": " "})"), 400);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": ""})"), 400);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": "Twenty characters ab"})"), 400);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": "Zoë"})"), 200);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": "Łukasz"})"), 400);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"rename": "Nobody", "to": "X"})"), 404);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"rename": "Ann", "to": "Bob"})"), 409);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"rename": "Ann", "to": "Anne"})"), 200);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"delete": "Bob"})"), 200);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"delete": "Bob"})"), 404);
    EXPECT_EQ(Status("POST", "/admin/members",
                     R"({"out": "Cy", "destination": "Dentist", "return": "2pm"})"),
              200);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": "Di", "delete": "Cy"})"), 400);
    EXPECT_EQ(Status("POST", "/admin/members", R"({"add": "Di", "to": "Cy"})"), 400);

    std::string board = DataFile();
    EXPECT_NE(board.find("Anne"), std::string::npos);
    EXPECT_EQ(board.find("Bob"), std::string::npos);
    EXPECT_NE(board.find("Dentist"), std::string::npos);
    std::string journal = ReadBytes(dir.File("history-2026-12.csv"));
    EXPECT_NE(journal.find(",added,Cy,12:00,,,web administration from 10.0.0.5\r\n"),
              std::string::npos)
        << journal;
    EXPECT_NE(journal.find(",out,Cy,9:30am,Dentist,2pm,web administration from 10.0.0.5"),
              std::string::npos)
        << journal;
}

TEST_F(AdminTest, AFullBoardAndAFailedSaveChangeNothing) {
    for (int i = host.table.count; i < kMaxUsers; ++i)
        host.AddNamed(("user" + std::to_string(i)).c_str());
    AdminAnswer full = Ask("POST", "/admin/members", R"({"add": "One more"})");
    EXPECT_EQ(full.reply.status, 409);
    EXPECT_NE(full.reply.body.find("150 users"), std::string::npos);

    // The working folder gone: the save fails and the edit is taken back.
    std::filesystem::remove_all(dir.path());
    UserTable before = host.table;
    EXPECT_EQ(Status("POST", "/admin/members", R"({"delete": "Ann"})"), 503);
    EXPECT_EQ(std::memcmp(&before, &host.table, sizeof before), 0);
}

TEST_F(AdminTest, SettingsAreCheckedAllBeforeAnyIsStored) {
    EXPECT_EQ(Status("POST", "/admin/settings", R"({"ResetTime": "25:00"})"), 400);
    EXPECT_EQ(Status("POST", "/admin/settings", R"({"Header": "<h1>Us</h1>", "Colour": "red"})"),
              400);
    EXPECT_EQ(Status("POST", "/admin/settings", R"({"Footer": "x", "WebKey": "short"})"), 400);
    EXPECT_EQ(Status("POST", "/admin/settings", R"({"WebHosts": "board%bad host"})"), 400);
    EXPECT_EQ(Status("POST", "/admin/settings", R"({"History": "yes"})"), 400);
    EXPECT_TRUE(host.store.values.empty());
    EXPECT_TRUE(host.changed.empty());

    EXPECT_EQ(Status("POST", "/admin/settings",
                     R"({"Header": "<h1>Us</h1>", "ResetTime": "18:30", "History": false,
                         "WebSignIn": "TRUE", "WebKey": "long enough", "WebHosts": "board%board.office"})"),
              200);
    EXPECT_STREQ(host.settings.Header, "<h1>Us</h1>");
    EXPECT_STREQ(host.settings.ResetTime, "18:30");
    EXPECT_FALSE(host.settings.History);
    EXPECT_TRUE(host.settings.WebSignIn);
    EXPECT_EQ(host.store.values["History"], "FALSE");
    EXPECT_EQ(host.store.values["WebHosts"], "board%board.office");
    // The key is kept as its hash alone.
    EXPECT_EQ(host.store.values.count("WebKey"), 0u);
    EXPECT_TRUE(KeyMatchesHash(host.crypto, "long enough", host.store.values["WebKeyHash"]));
    EXPECT_EQ(host.changed.size(), 6u);
}

TEST_F(AdminTest, HistoryGivesTheRowsOfTheDaysAsked) {
    const std::string head = kJournalHead;
    WriteBytes(
        dir.File("history-2026-11.csv"),
        head + "2026-11-29,08:00:00,in,Ann,8:00am,,,\r\n2026-11-30,08:00:00,in,Bob,8:00am,,,\r\n");
    WriteBytes(dir.File("history-2026-12.csv"),
               head + "2026-12-01,09:00:00,out,Ann,9:00am,Lunch,1pm,\r\n2026-12-02,09:00:00,in,Ann,"
                      "9:00am,,,\r\n");
    AdminAnswer answer = Ask("GET", "/admin/history?from=2026-11-30&to=2026-12-01");
    EXPECT_EQ(answer.reply.status, 200);
    EXPECT_EQ(answer.reply.type, "text/csv; charset=utf-8");
    EXPECT_EQ(answer.reply.body, head + "2026-11-30,08:00:00,in,Bob,8:00am,,,\r\n"
                                        "2026-12-01,09:00:00,out,Ann,9:00am,Lunch,1pm,\r\n");
    EXPECT_EQ(Status("GET", "/admin/history?from=2026-12-02&to=2026-12-01"), 400);
    EXPECT_EQ(Status("GET", "/admin/history?from=2026-02-30&to=2026-03-01"), 400);
    EXPECT_EQ(Status("GET", "/admin/history?from=2025-01-01&to=2026-12-01"), 400);
}

TEST_F(AdminTest, TheKeyHostOriginAndTypeAreAskedOfEveryCall) {
    AdminAnswer status = Ask("GET", "/admin/status");
    EXPECT_EQ(status.reply.status, 200);
    EXPECT_EQ(status.reply.body, R"({"status": "Listen: 10048", "members": 2, "connections": 3, )"
                                 R"("version": "1.42.0", "service": true})");
    EXPECT_EQ(Ask("GET", "/admin/status", "", "not it").reply.status, 401);
    EXPECT_EQ(Ask("GET", "/admin/status", "", "").reply.status, 401);
    EXPECT_EQ(gate.wrong, (std::vector<std::string>{"10.0.0.5", "10.0.0.5"}));
    gate.locked = 60;
    AdminAnswer locked = Ask("GET", "/admin/status");
    EXPECT_EQ(locked.reply.status, 429);
    EXPECT_EQ(locked.retry_after, 60);
    gate.locked = 0;
    EXPECT_EQ(Status("GET", "/admin/nothing"), 404);
    EXPECT_EQ(Status("GET", "/admin/members"), 405);

    AdminRequest request;
    request.method = "POST";
    request.path = "/admin/members";
    request.host = "board.office";
    request.content_type = "text/plain";
    request.authorization = "Bearer the admin key";
    request.body = R"({"add": "Eve"})";
    EXPECT_EQ(AnswerAdmin(request, host, key, gate, {"board.office"}, 1252).reply.status, 415);
    request.content_type = "application/json";
    request.has_origin = true;
    request.origin = "http://evil.example";
    EXPECT_EQ(AnswerAdmin(request, host, key, gate, {"board.office"}, 1252).reply.status, 403);
    request.has_origin = false;
    request.host = "evil.example";
    EXPECT_EQ(AnswerAdmin(request, host, key, gate, {"board.office"}, 1252).reply.status, 421);
    EXPECT_EQ(DataFile().find("Eve"), std::string::npos);

    // No key set: everything is the page that says how to turn it on.
    key.Set("");
    AdminAnswer off = Ask("GET", "/admin");
    EXPECT_EQ(off.reply.status, 403);
    EXPECT_NE(off.reply.body.find("Administration key"), std::string::npos);
    EXPECT_EQ(Ask("GET", "/admin/status").reply.status, 403);
}

// The route on the web port: the settings' key, the reader's request to the
// API, the port's shared lockout and the reply's headers.
TEST_F(AdminTest, TheRouteAnswersWithThePortsHeadersAndCountsWrongKeysInTheSharedLockout) {
    AdminRoutes routes(host, 1252);
    CopyCut(host.settings.AdminKeyHash, MakeKeyHash(host.crypto, "route key", 2).c_str());

    KeyLockout lockout;
    std::string notices;
    auto reply = [&](const std::string &head, const std::string &body = "") {
        HttpRequestReader reader;
        std::string bytes = head +
                            "Host: board.office\r\nContent-Length: " + std::to_string(body.size()) +
                            "\r\n\r\n" + body;
        reader.Feed(bytes.data(), bytes.size());
        EXPECT_TRUE(routes.Serves(reader)) << head;
        std::vector<std::string> names{"board.office"};
        WebRouteReply out = routes.Reply(WebRouteCall{reader, names, lockout, "10.0.0.7", 5000});
        notices += out.notice;
        return out.reply;
    };
    std::string page = reply("GET /admin HTTP/1.1\r\n");
    EXPECT_EQ(page.compare(0, 15, "HTTP/1.1 200 OK"), 0) << page;
    for (std::string line :
         {std::string("Cache-Control: no-store"), std::string("X-Content-Type-Options: nosniff"),
          std::string("X-Frame-Options: DENY"), std::string("Referrer-Policy: no-referrer"),
          "script-src 'sha256-" + Base64(Sha256Of(AdminPageScript())) + "'",
          "style-src 'sha256-" + Base64(Sha256Of(AdminPageStyles())) + "'"})
        EXPECT_NE(page.find(line), std::string::npos) << line;
    EXPECT_EQ(page.substr(page.find("\r\n\r\n") + 4), AdminPage());
    std::string head = reply("HEAD /admin/status HTTP/1.1\r\nAuthorization: Bearer route key\r\n");
    EXPECT_EQ(head.compare(0, 15, "HTTP/1.1 200 OK"), 0) << head;
    EXPECT_EQ(head.find("\r\n\r\n") + 4, head.size());

    const std::string post = "POST /admin/members HTTP/1.1\r\nContent-Type: application/json\r\n";
    EXPECT_EQ(reply(post + "Authorization: Bearer route key\r\n", R"({"add": "Cy"})")
                  .compare(0, 12, "HTTP/1.1 200"),
              0);
    EXPECT_NE(DataFile().find("Cy"), std::string::npos);
    // Asking without a key is not a guess; five wrong ones lock the address
    // out, the right key too, and say so once.
    for (int i = 0; i < 8; ++i) {
        std::string asked = reply("GET /admin/status HTTP/1.1\r\n");
        EXPECT_NE(asked.find("\r\nWWW-Authenticate: Bearer\r\n"), std::string::npos) << asked;
    }
    for (int i = 0; i < kWrongKeysAllowed + 2; ++i)
        reply("GET /admin/status HTTP/1.1\r\nAuthorization: Bearer guess\r\n");
    std::string locked = reply(post + "Authorization: Bearer route key\r\n", R"({"add": "Di"})");
    EXPECT_EQ(locked.compare(0, 12, "HTTP/1.1 429"), 0) << locked;
    EXPECT_NE(locked.find("\r\nRetry-After: 60\r\n"), std::string::npos) << locked;
    EXPECT_EQ(notices, LockoutNotice("10.0.0.7"));
    EXPECT_EQ(DataFile().find("Di"), std::string::npos);
    // The key cleared in the settings: off at once.
    host.settings.AdminKeyHash[0] = '\0';
    EXPECT_EQ(reply("GET /admin HTTP/1.1\r\n").compare(0, 12, "HTTP/1.1 403"), 0);
}
