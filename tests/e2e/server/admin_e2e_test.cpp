// The administration from a browser through the server's web port (off
// without a key: the web port's refusals): with one, the status, a member
// added (in the feed, the data file and the journal), the header and
// footer on the page, a foreign Host and one named in WebHosts, and the
// wrong-key lockout.
#include <cstdlib>
#include <string>

#include "tests/e2e/server/server_fixture.h"
#include "tests/kit/files.h"

namespace {

const std::string kBoard = "Ann-1- -09:00- -\r\n"
                           "Bob-0-Lunch-12:00-1:00pm-\r\n";

class AdminE2eTest : public ServerTest {
  protected:
    struct Got {
        int status = -1;
        std::string head, body;
    };
    Got Http(const std::string &request) {
        e2e::Reply reply = e2e::Exchange(web, request);
        Got got;
        size_t end = reply.bytes.find("\r\n\r\n");
        if (reply.bytes.compare(0, 9, "HTTP/1.1 ") == 0)
            got.status = std::atoi(reply.bytes.c_str() + 9);
        got.head = reply.bytes.substr(0, end == std::string::npos ? reply.bytes.size() : end + 4);
        if (end != std::string::npos) got.body = reply.bytes.substr(end + 4);
        return got;
    }
    Got Get(const std::string &path, const std::string &key,
            const std::string &host = "127.0.0.1") {
        return Http("GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\n" +
                    (key.empty() ? "" : "Authorization: Bearer " + key + "\r\n") + "\r\n");
    }
    Got Post(const std::string &path, const std::string &key, const std::string &body) {
        return Http("POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(web) +
                    "\r\nContent-Type: application/json\r\nAuthorization: Bearer " + key +
                    "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    }
    void Start() {
        StartServer(kBoard);
        ASSERT_TRUE(e2e::WaitForPort(web, 30000)) << "nothing listens on the web port " << web;
    }
    std::string Journal() {
        std::string all;
        for (const std::string &name : FilesIn(work + "/board"))
            if (name.rfind("history-", 0) == 0) all += ReadBytes(work + "/board/" + name);
        return all;
    }
    int web = 0;
};

TEST_F(AdminE2eTest, WithAKeyEditsTheBoardAndLocksOutWrongKeys) {
    web = e2e::FreePort();
    SetSetting("WebPort", std::to_string(web));
    const std::string key = "office admin key";
    SetSetting("AdminKey", key);
    Start();
    Got status = Get("/admin/status", key);
    EXPECT_EQ(status.status, 200) << status.head;
    EXPECT_NE(status.head.find("\r\nCache-Control: no-store\r\n"), std::string::npos)
        << status.head;
    EXPECT_NE(status.body.find("\"members\": 2, "), std::string::npos) << status.body;
    EXPECT_NE(status.body.find("\"service\": false}"), std::string::npos) << status.body;

    Got added = Post("/admin/members", key, "{\"add\":\"New Person\"}");
    EXPECT_EQ(added.status, 200) << added.head << added.body;
    EXPECT_NE(Get("/board.json", "").body.find("\"New Person\""), std::string::npos);
    EXPECT_NE(Board().find("New Person-"), std::string::npos) << Board();
    EXPECT_NE(Journal().find(",added,New Person,12:00,,,web administration from 127.0.0.1"),
              std::string::npos)
        << Journal();

    // A header and footer of 900 euro signs each (5.4 KB of UTF-8 at once)
    // are taken and on the page at once.
    std::string euros;
    for (int i = 0; i < 900; ++i) euros += "\xe2\x82\xac";
    Got markup = Post("/admin/settings", key,
                      "{\"Header\": \"" + euros + "\", \"Footer\": \"" + euros + "\"}");
    EXPECT_EQ(markup.status, 200) << markup.head << markup.body;
    EXPECT_NE(ReadBytes(PageFile()).find(std::string(900, '\x80')), std::string::npos);

    EXPECT_EQ(Get("/admin/status", key, "attacker.example").status, 421);
    // A name given to WebHosts is this server's at once.
    EXPECT_EQ(Post("/admin/settings", key, "{\"WebHosts\": \"board.example.org\"}").status, 200);
    EXPECT_EQ(Get("/admin/status", key, "board.example.org").status, 200);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Get("/admin/status", "guess " + std::to_string(i)).status, 401);
    Got locked = Get("/admin/status", key);
    EXPECT_EQ(locked.status, 429) << locked.head;
    size_t retry = locked.head.find("\r\nRetry-After: ");
    ASSERT_NE(retry, std::string::npos) << locked.head;
    int seconds = std::atoi(locked.head.c_str() + retry + 15);
    EXPECT_GT(seconds, 30);
    EXPECT_LE(seconds, 60);
    EXPECT_EQ(Post("/admin/members", key, "{\"add\":\"Locked Out\"}").status, 429);
    EXPECT_EQ(Board().find("Locked Out"), std::string::npos);
}

} // namespace
