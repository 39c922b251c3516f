// The harness's own promises that the suites lean on when ctest runs them
// side by side: ports no other test is handed, and a server that does not
// start on a port someone else listens on, saying so. Run once, with the
// native server (no Wine is needed for either).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>

#include "tests/e2e/server/server_fixture.h"

namespace {

class HarnessTest : public ServerTest {
  protected:
    void SetUp() override {
        if (e2e::KindUnderTest() != e2e::ServerKind::Native)
            GTEST_SKIP() << "the harness's own behaviour, checked once";
        ServerTest::SetUp();
    }
};

TEST_F(HarnessTest, FreePortsAreDistinctBindableOutsideTheEphemeralRangeAndClaimed) {
    int ephemeral_low = 0, ephemeral_high = 0;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> ephemeral_low >> ephemeral_high;
    ASSERT_GT(ephemeral_low, 0);
    // Another open of the claims file stands for another process: its
    // look at a port's byte meets the lock of the process that claimed it.
    int other = open(e2e::kPortClaimsFile, O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0) << e2e::kPortClaimsFile;
    std::set<int> seen = {port};
    for (int i = 0; i < 40; ++i) {
        int free = e2e::FreePort();
        EXPECT_TRUE(seen.insert(free).second) << free << " was handed out twice";
        EXPECT_TRUE(free < ephemeral_low || free > ephemeral_high) << free << " is ephemeral";
        struct flock look = {};
        look.l_type = F_WRLCK;
        look.l_whence = SEEK_SET;
        look.l_start = free;
        look.l_len = 1;
        ASSERT_EQ(fcntl(other, F_OFD_GETLK, &look), 0);
        EXPECT_EQ(look.l_type, F_WRLCK) << free << " is not claimed";
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        address.sin_port = htons(static_cast<uint16_t>(free));
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0) << free;
        close(fd);
    }
    close(other);
}

TEST_F(HarnessTest, AServerDoesNotStartOnAPortAnotherListensOnAndSaysWhoHasIt) {
    int holder = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(port));
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(listen(holder, 1), 0);
    EXPECT_FALSE(tesmar->Start(10000));
    EXPECT_FALSE(tesmar->Running());
    const std::string &why = tesmar->StartFailure();
    EXPECT_NE(why.find("sign-in port " + std::to_string(port) + " was listened on before"),
              std::string::npos)
        << why;
    EXPECT_NE(why.find("process " + std::to_string(getpid()) + " "), std::string::npos) << why;
    // Once the port is free the same server starts, and the reason is gone.
    close(holder);
    ASSERT_TRUE(tesmar->Start(30000)) << tesmar->StartFailure();
    EXPECT_EQ(tesmar->StartFailure(), "");
}

} // namespace
