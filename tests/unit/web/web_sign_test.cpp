#include "server/web/web_sign.h"

#include "server/board/board_file.h"
#include "server/board/user_table.h"
#include "server/web/http_request.h"
#include "server/publish/batch_dispatch.h"
#include "server/publish/connection.h"
#include "server/web/web_guard.h"
#include "server/web/key_lockout.h"
#include "common/fixed_text.h"
#include "common/stored_key.h"
#include "tests/kit/board_test_support.h"
#include "tests/kit/doubles/fixed_key_crypto.h"
#include "tests/kit/doubles/memory_settings_store.h"
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
        ReadBoardFile(table, settings);
        SortAndCompact(table);
        settings.WebSignIn = true;
    }
    WebSignStart Start(const std::string &body, const std::string &extra = "") {
        std::string request = "POST /sign HTTP/1.1\r\nHost: localhost:8080\r\n"
                              "Content-Type: application/json\r\n" +
                              extra + "Content-Length: " + std::to_string(body.size()) +
                              "\r\n\r\n" + body;
        HttpRequestReader reader;
        reader.Feed(request.data(), request.size());
        EXPECT_TRUE(reader.Done());
        return StartWebSign(reader, settings, web_key, ServerHostNames({"boardpc"}, ""), 1252,
                            ClockTime{9, 7, 0}, WebSignPeer{peer, now, &lockout});
    }
    // The browser's line and a sign-in port request in one batch; returns
    // the browser's HTTP reply.
    std::string Batch(const std::string &line, RecordingConnection &other) {
        KeptReply browser;
        std::vector<PendingRequest> requests(2);
        requests[0] = PendingRequest{line, &browser, "10.0.0.7"};
        requests[1] = PendingRequest{"#oBob-9:00-Bank-10:00", &other, "10.0.0.8"};
        DispatchBatch(board, publisher, requests);
        return WebSignReply(browser.Bytes());
    }
    static int Status(const std::string &reply) { return std::stoi(reply.substr(9, 3)); }
    // The key as the settings keep it: hashed.
    void SetKey(const char *key) { CopyCut(settings.WebKeyHash, MakeKeyHash(crypto, key).c_str()); }

    ScratchDir scratch;
    ServerSettings settings = SettingsIn(scratch, scratch.File("board.htm"));
    UserTable table;
    RecordingAlerts alerts;
    FixedClock clock;
    BoardContext board{table, settings, alerts, clock};
    PlatformFiles files;
    Publisher publisher{files.reader, files.writer};
    KeyLockout lockout;
    FixedKeyCrypto crypto;
    WebSignKey web_key{crypto};
    std::string peer = "10.0.0.9";
    std::uint64_t now = 1000;
};

} // namespace

TEST_F(WebSignTest, GoesThroughTheSameBatchAsTheSignInPort) {
    WebSignStart start =
        Start("{\"name\": \"ann\", \"in\": false, \"destination\": \"Post office\","
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
    SetKey("k");
    WebSignStart start = Start("{\"name\": \"Ann\", \"in\": true}");
    EXPECT_EQ(401, start.status);
    EXPECT_EQ(401, Status(start.reply));
    EXPECT_EQ(401, Start("{\"name\": \"Ann\", \"in\": true}", "X-Board-Key: kk\r\n").status);
    EXPECT_EQ(0, Start("{\"name\": \"Ann\", \"in\": true}", "X-Board-Key: k\r\n").status);
    settings.WebSignIn = false;
    EXPECT_EQ(403, Status(Start("{\"name\": \"Ann\", \"in\": true}", "X-Board-Key: k\r\n").reply));
}

TEST_F(WebSignTest, WrongKeysLockTheAddressOutEvenForTheRightKey) {
    SetKey("s3cret-key");
    const std::string body = "{\"name\": \"Ann\", \"in\": true}";
    // The page's first try, without a key, is no guess.
    EXPECT_EQ(401, Start(body, "X-Board-Key: \r\n").status);
    EXPECT_EQ(401, Start(body).status);
    for (int i = 0; i < 4; ++i) {
        WebSignStart start = Start(body, "X-Board-Key: guess" + std::to_string(i) + "\r\n");
        EXPECT_EQ(401, start.status);
        EXPECT_EQ("", start.notice);
        now += 1000;
    }
    EXPECT_EQ(0, Start(body, "X-Board-Key: s3cret-key\r\n").status); // four: not yet
    WebSignStart fifth = Start(body, "X-Board-Key: guess4\r\n");
    EXPECT_EQ(401, fifth.status);
    EXPECT_EQ("Web: wrong keys from 10.0.0.9", fifth.notice);
    now += 1000;
    WebSignStart locked = Start(body, "X-Board-Key: s3cret-key\r\n");
    EXPECT_EQ(429, locked.status);
    EXPECT_EQ(429, Status(locked.reply));
    EXPECT_NE(std::string::npos, locked.reply.find("\r\nRetry-After: 59\r\n")) << locked.reply;
    // Another address is not held back.
    peer = "10.0.0.10";
    EXPECT_EQ(0, Start(body, "X-Board-Key: s3cret-key\r\n").status);
    peer = "10.0.0.9";
    now += kLockoutMs;
    EXPECT_EQ(0, Start(body, "X-Board-Key: s3cret-key\r\n").status);
}

TEST_F(WebSignTest, APlainKeyFoundAtStartIsKeptHashedAndARightKeyIsDerivedOncePerChange) {
    MemorySettingsStore store;
    store.Write("WebKey", "front-desk-key");
    EXPECT_EQ("", web_key.Load(store, settings));
    EXPECT_EQ(0u, store.values.count("WebKey"));
    EXPECT_EQ(store.values["WebKeyHash"], settings.WebKeyHash);
    EXPECT_TRUE(IsKeyHash(settings.WebKeyHash));

    const std::string body = "{\"name\": \"Ann\", \"in\": true}";
    int before = crypto.derivations;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(0, Start(body, "X-Board-Key: front-desk-key\r\n").status);
    EXPECT_EQ(before + 1, crypto.derivations);
    EXPECT_EQ(401, Start(body, "X-Board-Key: front-desk-kex\r\n").status);
    EXPECT_EQ(before + 2, crypto.derivations);

    // A new key (as Board Options stores it): the old one, though
    // remembered, no longer signs in.
    char *hash = settings.WebKeyHash;
    ASSERT_TRUE(
        StoreKey(store, crypto, "WebKey", "new-desk-key", hash, sizeof settings.WebKeyHash));
    EXPECT_EQ(401, Start(body, "X-Board-Key: front-desk-key\r\n").status);
    EXPECT_EQ(0, Start(body, "X-Board-Key: new-desk-key\r\n").status);
    // A hash spoilt by a hand edit lets nobody in, with a key or without.
    CopyCut(settings.WebKeyHash, "pbkdf2-sha256$20000$zz$zz");
    EXPECT_EQ(401, Start(body).status);
    EXPECT_EQ(401, Start(body, "X-Board-Key: new-desk-key\r\n").status);
}
