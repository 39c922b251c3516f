// Files the running server cannot write (as root, read-only files still
// are writable, so the failures are made with directories): the server
// stays up, never answers "0\n\r" for a change it could not save, and
// leaves the board on disk whole.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "tests/e2e/faults/wine_run.h"

namespace faults {
namespace {

constexpr int kUsers = 30;

// The working directory holds nothing that the server left behind.
void ExpectNoTemporaryFiles(const std::string &dir) {
    for (const auto &name : ListDirectory(dir))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << "left behind: " << name;
}

TEST(UnwritableFiles, ADirectoryWhereTheDataFileShouldBeGetsNoDoneReply) {
    TesmarServer server(e2e::ScratchDir("faults.data-directory"), kUsers);
    ASSERT_TRUE(server.Start()) << server.StartFailure();
    const std::string board = ReadBytes(server.DataFile());
    const std::string kept = server.work() + "/kept.dat";

    // While the server runs, a directory takes the data file's place.
    ASSERT_EQ(rename(server.DataFile().c_str(), kept.c_str()), 0);
    ASSERT_EQ(mkdir(server.DataFile().c_str(), 0755), 0);

    Reply reply = Exchange(server.port(), "#o" + UserName(5) + "-09:00-Bank-10:00\n\r");
    EXPECT_TRUE(reply.closed);
    EXPECT_NE(reply.bytes, "0\n\r") << "a change that was not saved was reported done";

    // The server still serves, and nothing on disk was touched.
    EXPECT_TRUE(server.Running());
    EXPECT_EQ(Exchange(server.port(), "hello\n\r").bytes, "\n\r");
    EXPECT_TRUE(IsDirectory(server.DataFile()));
    EXPECT_TRUE(ListDirectory(server.DataFile()).empty());
    EXPECT_EQ(ReadBytes(kept), board);
    ExpectNoTemporaryFiles(server.work());

    // With the file back, requests are saved again: the board is the one
    // on disk, with the new change and without the unsaved one.
    ASSERT_EQ(rmdir(server.DataFile().c_str()), 0);
    ASSERT_EQ(rename(kept.c_str(), server.DataFile().c_str()), 0);
    EXPECT_EQ(Exchange(server.port(), "#o" + UserName(6) + "-09:05-Post-09:30\n\r").bytes, "0\n\r");
    std::string expected = board;
    std::string old_line = UserName(6) + "-1- -12:00- -\r\n";
    expected.replace(expected.find(old_line), old_line.size(),
                     UserName(6) + "-0-Post-09:05-09:30-\r\n");
    EXPECT_EQ(ReadBytes(server.DataFile()), expected);
}

TEST(UnwritableFiles, APagePathInAMissingDirectoryStillSavesTheBoard) {
    const std::string dir = e2e::ScratchDir("faults.page-missing");
    e2e::TesmarSetup setup;
    setup.page = dir + "/missing/board.htm";
    TesmarServer server(dir, kUsers, setup);
    ASSERT_TRUE(server.Start()) << server.StartFailure();
    const std::string board = ReadBytes(server.DataFile());

    // The page cannot be written, but the data file can: the change is
    // saved, so it is answered as done.
    Reply reply = Exchange(server.port(), "#o" + UserName(7) + "-09:00-Dentist-11:00\n\r");
    EXPECT_EQ(reply.bytes, "0\n\r");
    std::string expected = board;
    std::string old_line = UserName(7) + "-1- -12:00- -\r\n";
    expected.replace(expected.find(old_line), old_line.size(),
                     UserName(7) + "-0-Dentist-09:00-11:00-\r\n");
    EXPECT_EQ(ReadBytes(server.DataFile()), expected);
    EXPECT_FALSE(FileExists(dir + "/missing"));
    ExpectNoTemporaryFiles(server.work());

    // And it goes on serving.
    EXPECT_TRUE(server.Running());
    EXPECT_EQ(Exchange(server.port(), "#i" + UserName(7) + "-11:10\n\r").bytes, "0\n\r");
}

} // namespace
} // namespace faults
