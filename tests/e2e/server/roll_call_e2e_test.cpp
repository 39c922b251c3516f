// The roll call through tesmar.exe's web port under Wine: started, marked
// and followed from the board, the server killed and started again in the
// middle, then ended with its report.
#include <string>

#include "tests/e2e/server/server_fixture.h"
#include "tests/kit/files.h"

namespace {

const std::string kBoard = "Ann-1- -09:00- -\r\n"
                           "Bob-0-Lunch-12:00-1:00pm-\r\n"
                           "Cy-1- -08:30- -\r\n";

class RollCallTest : public ServerTest {
  protected:
    void Start() {
        web = e2e::FreePort();
        SetSetting("WebPort", std::to_string(web));
        SetSetting("MarshalKey", "marshal-key-1");
        StartServer(kBoard);
        ASSERT_TRUE(e2e::WaitForPort(web, 30000)) << "nothing listens on the web port " << web;
    }
    // The reply's status and body.
    std::pair<int, std::string> Http(const std::string &request) {
        e2e::Reply reply = e2e::Exchange(web, request);
        size_t end = reply.bytes.find("\r\n\r\n");
        int status =
            reply.bytes.compare(0, 9, "HTTP/1.1 ") == 0 ? std::atoi(reply.bytes.c_str() + 9) : -1;
        return {status, end == std::string::npos ? "" : reply.bytes.substr(end + 4)};
    }
    std::pair<int, std::string> Post(const std::string &body,
                                     const std::string &key = "marshal-key-1") {
        return Http("POST /rollcall HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(web) +
                    "\r\nContent-Type: application/json\r\nAuthorization: Bearer " + key +
                    "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    }
    std::pair<int, std::string> Get(const std::string &path) {
        return Http("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }
    int web = 0;
};

TEST_F(RollCallTest, MarkedFollowedKilledStartedAgainAndEndedWithItsReport) {
    Start();
    EXPECT_EQ(Post("{\"start\": true}", "wrong-key").first, 401);
    EXPECT_EQ(Post("{\"start\": true}").first, 200);
    EXPECT_EQ(Post("{\"mark\": \"Cy\", \"safe\": true}").first, 200);
    EXPECT_EQ(Post("{\"mark\": \"Bob\", \"safe\": true}").first, 404);
    EXPECT_EQ(Post("{\"mark\": \"Cy\"}").first, 400);
    // Bob comes in through the sign-in port: on the roll call, missing.
    e2e::Reply in = e2e::Exchange(port, "#iBob-10:16\n\r");
    EXPECT_EQ(in.bytes, "0\n\r");
    std::pair<int, std::string> before = Get("/rollcall.json");
    ASSERT_EQ(before.first, 200);
    EXPECT_NE(before.second.find("\"expected\": 3, \"safe\": 1"), std::string::npos)
        << before.second;
    EXPECT_NE(before.second.find("{\"name\": \"Bob\", \"state\": \"missing\""), std::string::npos);

    tesmar->Kill();
    ASSERT_TRUE(tesmar->Start(60000)) << tesmar->StartFailure();
    ASSERT_TRUE(e2e::WaitForPort(web, 30000));
    EXPECT_EQ(Get("/rollcall.json"), before);
    std::pair<int, std::string> page = Get("/rollcall");
    EXPECT_EQ(page.first, 200);
    EXPECT_NE(page.second.find("<span id=\"n-safe\">1</span>"), std::string::npos);
    // The key is kept hashed: the plain one still works after its hashing.
    EXPECT_EQ(Post("{\"mark\": \"ann\", \"safe\": true}").first, 200);
    EXPECT_EQ(Post("{\"end\": true}").first, 200);
    EXPECT_EQ(Post("{\"end\": true}").first, 409);

    std::pair<int, std::string> report = Get("/rollcall.csv");
    ASSERT_EQ(report.first, 200);
    EXPECT_NE(report.second.find("\r\nAnn,safe,"), std::string::npos) << report.second;
    EXPECT_NE(report.second.find("\r\nBob,missing,,,"), std::string::npos);
    bool written = false;
    for (const std::string &name : FilesIn(tesmar->work()))
        if (name.rfind("rollcall-", 0) == 0 && name.size() > 4 &&
            name.substr(name.size() - 4) == ".csv")
            written = ReadBytes(tesmar->work() + "/" + name) == report.second;
    EXPECT_TRUE(written);
}

} // namespace
