#include "server/web/web_guard.h"

#include "server/board/server_settings.h"
#include "server/web/http_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::vector<std::string> kNames = ServerHostNames(
    {"BOARDPC", "boardpc.office.lan", "192.168.1.20"}, "board.example.org% intranet %");

struct Guard : ::testing::Test {
    void SetUp() override {
        std::memset(&settings, 0, sizeof settings);
        settings.WebSignIn = true;
    }
    int Check(const std::string &headers) {
        std::string body = "{}";
        std::string request =
            "POST /sign HTTP/1.1\r\n" + headers + "Content-Length: 2\r\n\r\n" + body;
        HttpRequestReader reader;
        reader.Feed(request.data(), request.size());
        EXPECT_TRUE(reader.Done());
        return CheckSignRequest(reader, settings, kNames);
    }
    ServerSettings settings;
};

const char kJson[] = "Content-Type: application/json\r\n";

} // namespace

TEST_F(Guard, HostMustBeOneOfTheServersNames) {
    for (const char *host : {"boardpc", "BoardPC:8080", "boardpc.office.lan.", "192.168.1.20:80",
                             "localhost:8080", "127.0.0.1", "board.example.org", "INTRANET"})
        EXPECT_EQ(0, Check(std::string("Host: ") + host + "\r\n" + kJson)) << host;
    for (const char *host : {"evil.example.com", "boardpc.evil.com", "127.0.0.2", "", "[::1]"})
        EXPECT_EQ(403, Check(std::string("Host: ") + host + "\r\n" + kJson)) << host;
    EXPECT_EQ(403, Check(kJson)); // no Host at all
}

TEST_F(Guard, OriginMustBeThisVeryServer) {
    std::string host = "Host: boardpc:8080\r\n";
    EXPECT_EQ(0, Check(host + "Origin: http://boardpc:8080\r\n" + kJson));
    EXPECT_EQ(0, Check(host + "Origin: http://BOARDPC:8080\r\n" + kJson));
    for (const char *origin : {"http://evil.example.com", "http://boardpc", "https://boardpc:8080",
                               "http://boardpc:8081", "null", ""})
        EXPECT_EQ(403, Check(host + "Origin: " + origin + "\r\n" + kJson)) << origin;
}

TEST_F(Guard, SwitchedOffAndJsonOnly) {
    std::string host = "Host: localhost\r\n";
    EXPECT_EQ(0, Check(host + "Content-Type: Application/JSON; charset=utf-8\r\n"));
    EXPECT_EQ(415, Check(host + "Content-Type: text/plain\r\n"));
    EXPECT_EQ(415, Check(host));
    settings.WebSignIn = false;
    EXPECT_EQ(403, Check(host + kJson));
}
