#include "server/web/web_roll_call.h"

#include <gtest/gtest.h>

#include "tests/kit/doubles/scripted_roll_call_keys.h"

#include <string>

#include "server/web/http_request.h"
#include "server/web/key_lockout.h"
#include "server/web/web_guard.h"

namespace {

int Check(const std::string &head, ScriptedRollCallKeys &keys, KeyLockout &lockout,
          std::string *notice = nullptr, const std::string &body = "{\"end\": true}") {
    std::string request = "POST /rollcall HTTP/1.1\r\nHost: boardpc:8080\r\n" + head +
                          "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    HttpRequestReader reader;
    reader.Feed(request.data(), request.size());
    EXPECT_TRUE(reader.Done());
    EXPECT_EQ(reader.Resource(), HttpResource::RollCall);
    EXPECT_EQ(reader.Body(), body);
    RollCallCheck check = CheckRollCallRequest(reader, ServerHostNames({"boardpc"}, ""), keys,
                                               lockout, "10.0.0.9", 1000);
    if (notice) *notice = check.notice;
    if (check.status == 0)
        EXPECT_EQ(check.reply, "");
    else
        EXPECT_EQ(check.reply.compare(0, 12, "HTTP/1.1 " + std::to_string(check.status)), 0);
    return check.status;
}

TEST(WebRollCall, KeysHostOriginAndTypeAreCheckedAndWrongKeysLockTheAddressOut) {
    ScriptedRollCallKeys keys;
    KeyLockout lockout;
    const std::string json = "Content-Type: application/json\r\n";
    EXPECT_EQ(Check(json + "Authorization: Bearer marshal-key\r\n", keys, lockout), 0);
    EXPECT_EQ(Check(json + "Authorization: bearer  marshal-key\r\n", keys, lockout), 0);
    EXPECT_EQ(Check(json + "Origin: http://evil.example\r\nAuthorization: Bearer marshal-key\r\n",
                    keys, lockout),
              403);
    EXPECT_EQ(Check("Content-Type: application/x-www-form-urlencoded\r\n"
                    "Authorization: Bearer marshal-key\r\n",
                    keys, lockout),
              415);
    // Asking without a key is not a guess: never counted.
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Check(json, keys, lockout), 401);
    std::string notice;
    for (int i = 0; i < kWrongKeysAllowed; ++i)
        EXPECT_EQ(Check(json + "Authorization: Bearer guess\r\n", keys, lockout, &notice), 401);
    EXPECT_EQ(notice, "Web: wrong keys from 10.0.0.9");
    EXPECT_EQ(Check(json + "Authorization: Bearer marshal-key\r\n", keys, lockout), 429);

    ScriptedRollCallKeys none;
    none.key.clear();
    KeyLockout fresh;
    EXPECT_EQ(Check(json + "Authorization: Bearer marshal-key\r\n", none, fresh), 403);
}

TEST(WebRollCall, ThePathTakesGetHeadAndPostAndItsPagesCarryTheirOwnHashes) {
    HttpRequestReader put;
    std::string request = "PUT /rollcall HTTP/1.1\r\nHost: boardpc\r\n\r\n";
    put.Feed(request.data(), request.size());
    EXPECT_EQ(put.Status(), 405);
    EXPECT_STREQ(put.Allow(), "GET, HEAD, POST");

    HttpRequestReader get;
    request = "GET /rollcall HTTP/1.1\r\nHost: boardpc\r\n\r\n";
    get.Feed(request.data(), request.size());
    EXPECT_EQ(get.Resource(), HttpResource::RollCallPage);
    std::string page = RollCallPageReply(get, "<p>page</p>");
    EXPECT_NE(page.find("script-src 'sha256-"), std::string::npos);
    EXPECT_NE(page.find("\r\n\r\n<p>page</p>"), std::string::npos);
    EXPECT_EQ(RollCallReportReply(get, "").compare(0, 12, "HTTP/1.1 404"), 0);
}

} // namespace
