// wenlo.exe against a running tesmar.exe, both under Wine in a private
// prefix: a member signs out and in again from the client's dialog, and an
// unknown name brings the "Invalid Name" box. The client is driven from
// inside the prefix by wenlo_e2e_driver.exe; the board is checked in
// tesmar.dat and on the page.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

namespace {

using e2e::PollUntil;

std::string Exe(const std::string &relative) { return e2e::WindowsBuildDir() + "/" + relative; }

class ClientEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = e2e::ScratchDir(std::string("client.") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        server_.reset(); // ends every program in its prefix first
        e2e::RemoveTree(dir_);
    }

    // Runs the driver in the prefix; its exit status, its words in said.
    int Drive(const std::vector<std::string> &args, std::string *said) {
        return e2e::DriveWenlo(server_->prefix(), args, dir_ + "/driver.txt", said);
    }

    std::string dir_;
    std::unique_ptr<e2e::TesmarServer> server_;
};

TEST_F(ClientEndToEnd, AMemberSignsOutAndInFromTheClientAgainstTheServer) {
    for (const char *exe : {"server/shell/tesmar.exe", "client/shell/wenlo.exe",
                            "tests/drivers/wenlo_e2e_driver.exe"})
        ASSERT_TRUE(e2e::FileExists(Exe(exe))) << Exe(exe) << " is not built";

    server_ = std::make_unique<e2e::TesmarServer>(dir_ + "/server", 0);
    e2e::WriteFile(server_->DataFile(), "Ann-1- -9:00am- -\r\nBob-1- -9:10am- -\r\n");
    server_->prefix().SetMachineValues(
        "SOFTWARE\\KVT\\Wenlo",
        {{"UserName", "Ann"}, {"Server", "127.0.0.1"}, {"Port", std::to_string(server_->port())}});
    ASSERT_TRUE(server_->Start()) << server_->StartFailure();
    pid_t client = server_->prefix().Start(e2e::WenloExe(), {}, dir_ + "/wenlo.txt", dir_);
    auto data = [&] { return ReadBytes(server_->DataFile()); };

    std::string said;
    ASSERT_EQ(0, Drive({"ready"}, &said)) << said;
    ASSERT_EQ(0, Drive({"signout", "Ann", "12:00", "Lunch", "13:00"}, &said)) << said;
    EXPECT_TRUE(PollUntil(
        [&] { return data().find("Ann-0-Lunch-12:00-13:00-\r\n") != std::string::npos; }, 30))
        << data();
    // The page follows the data file.
    std::string page;
    EXPECT_TRUE(PollUntil(
        [&] {
            page = ReadBytes(server_->page());
            return page.find("Lunch") != std::string::npos;
        },
        30))
        << page;
    EXPECT_NE(std::string::npos, page.find("13:00")) << page;

    ASSERT_EQ(0, Drive({"signin", "Ann", "1:05pm"}, &said)) << said;
    EXPECT_TRUE(
        PollUntil([&] { return data().find("Ann-1- -1:05pm- -\r\n") != std::string::npos; }, 30))
        << data();

    std::string before = data();
    ASSERT_EQ(0, Drive({"invalid", "Zed"}, &said)) << said;
    EXPECT_NE(std::string::npos, said.find("That User Name is not valid.")) << said;
    EXPECT_EQ(before, data());
    EXPECT_NE(std::string::npos, data().find("Bob-1- -9:10am- -"));

    ASSERT_EQ(0, Drive({"exit"}, &said)) << said;
    EXPECT_NE(std::string::npos, said.find("Terminate Sign-in / Sign-out program?")) << said;
    EXPECT_EQ(0, e2e::WinePrefix::WaitExit(client, 30000)) << "wenlo.exe did not end with 0";
    EXPECT_TRUE(server_->Running()) << "tesmar.exe ended with the client";
}

TEST(ClientImports, WenloImportsOnlySystemLibraries) {
    const std::string wenlo = Exe("client/shell/wenlo.exe");
    ASSERT_TRUE(e2e::FileExists(wenlo)) << wenlo << " is not built";
    std::string listing = "/tmp/wenlo-imports." + std::to_string(getpid());
    ASSERT_EQ(0,
              std::system(("x86_64-w64-mingw32-objdump -p '" + wenlo + "' >" + listing).c_str()));
    std::string output = ReadBytes(listing);
    unlink(listing.c_str());
    const std::set<std::string> system = {"ADVAPI32.dll", "GDI32.dll",   "KERNEL32.dll",
                                          "msvcrt.dll",   "SHELL32.dll", "USER32.dll",
                                          "WS2_32.dll"};
    std::istringstream lines(output);
    std::string line;
    int imports = 0;
    while (std::getline(lines, line)) {
        auto at = line.find("DLL Name: ");
        if (at == std::string::npos) continue;
        std::string dll = line.substr(at + 10);
        while (!dll.empty() && (dll.back() == '\r' || dll.back() == ' ')) dll.pop_back();
        ++imports;
        EXPECT_TRUE(system.count(dll)) << "imports " << dll;
    }
    EXPECT_GE(imports, 4);
}

} // namespace
