#include "server/web/web_sign.h"

#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "server/web/http_request.h"
#include "server/publish/batch_dispatch.h"
#include "server/web/web_guard.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/recording_connection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class WebSignTest : public ::testing::Test {
  protected:
    WebSignTest() {
        ClearTable(table);
        WriteBytes(scratch.File("tesmar.dat"), "Ann-1- -8:00- -\r\nBob-1- -8:00- -\r\n");
        LoadBoard(table, settings);
        SortAndCompact(table);
        settings.web_sign_in = true;
    }
    WebSignStart Start(const std::string &body, const std::string &extra = "") {
        std::string request = "POST /sign HTTP/1.1\r\nHost: localhost:8080\r\n"
                              "Content-Type: application/json\r\n" + extra +
                              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        HttpRequestReader reader;
        reader.Feed(request.data(), request.size());
        EXPECT_TRUE(reader.Done());
        return StartWebSign(reader, settings, ServerHostNames({"boardpc"}, ""), 1252,
                            ClockTime{9, 7, 0});
    }
    // The browser's line and a sign-in port request in one batch; returns
    // the browser's HTTP reply.
    std::string Batch(const std::string &line, RecordingConnection &other) {
        CapturedReply browser;
        std::vector<PendingRequest> requests(2);
        requests[0] = PendingRequest{line, &browser, "10.0.0.7"};
        requests[1] = PendingRequest{"#oBob-9:00-Bank-10:00", &other, "10.0.0.8"};
        DispatchBatch(board, publisher, requests);
        return WebSignReply(browser.Bytes());
    }
    static int Status(const std::string &reply) { return std::stoi(reply.substr(9, 3)); }

    ScratchDir scratch;
    ServerSettings settings = SettingsIn(scratch, scratch.File("board.htm"));
    UserTable table;
    AlertsRecorder alerts;
    FixedClock clock;
    BoardContext board{table, settings, alerts, clock};
    Publisher publisher;
};

} // namespace

TEST_F(WebSignTest, GoesThroughTheSameBatchAsTheSignInPort) {
    WebSignStart start = Start("{\"name\": \"ann\", \"in\": false, \"destination\": \"Post office\","
                               " \"return\": \"11:00am\"}");
    ASSERT_EQ(0, start.status) << start.reply;
    EXPECT_EQ("#oann-9:07am-Post office-11:00am", start.line);
    RecordingConnection other;
    std::string reply = Batch(start.line, other);
    EXPECT_EQ(200, Status(reply));
    EXPECT_EQ(reply.size() - 11, reply.find("{\"ok\":true}"));
    EXPECT_EQ("Ann-0-Post office-9:07am-11:00am-\r\nBob-0-Bank-9:00-10:00-\r\n",
              ReadBytes(scratch.File("tesmar.dat")));
    ASSERT_EQ(1u, other.sends.size());

    // No such member: 404 and the other request still applied.
    start = Start("{\"name\": \"Zed\", \"in\": true}");
    ASSERT_EQ(0, start.status);
    EXPECT_EQ(404, Status(Batch(start.line, other)));

    // The save fails: nothing was kept, 503.
    start = Start("{\"name\": \"Bob\", \"in\": true, \"time\": \"9:30am\"}");
    std::strcpy(settings.WorkingDir, scratch.File("gone").c_str());
    EXPECT_EQ(503, Status(Batch(start.line, other)));
}

TEST_F(WebSignTest, RefusalsAreAnsweredAtOnce) {
    EXPECT_EQ(400, Start("{\"name\": \"Ann\"}").status);
    EXPECT_EQ(400, Start("{\"name\": \"A-n\", \"in\": true}").status);
    EXPECT_EQ(403, Start("{\"name\": \"Ann\", \"in\": true}", "Origin: http://evil\r\n").status);
    std::strcpy(settings.WebKey, "k");
    WebSignStart start = Start("{\"name\": \"Ann\", \"in\": true}");
    EXPECT_EQ(401, start.status);
    EXPECT_EQ(401, Status(start.reply));
    settings.web_sign_in = false;
    EXPECT_EQ(403, Status(Start("{\"name\": \"Ann\", \"in\": true}", "X-Board-Key: k\r\n").reply));
}
