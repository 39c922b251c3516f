// A save that fails inside the running server, seen from inside: the
// status line tells the administrator, the client gets no "0\n\r", the
// board on disk is left as it was, and the server serves the next client.
#include <string>

#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/shell/socket_front_end.h"
#include "server/engine/status_line.h"
#include "server/shell/server_state.h"
#include "tests/wine/server/shell_fixture.h"

namespace {

class FailedSave : public ServingTest {
  protected:
    void SetUp() override {
        ServingTest::SetUp();
        board_dir = MakeDirectory("board");
        data_file = board_dir + "\\tesmar.dat";
        CopyCut(server.settings.WorkingDir, board_dir.c_str());
        CopyCut(server.settings.HTMLFile, (board_dir + "\\board.htm").c_str());
        WriteFile(data_file, kBoard);
        LoadBoard(server.table, server.settings, server.board_reader, nullptr);
        SortAndCompact(server.table);
        server.connections.OpenListener(server.main_window, "0");
        ASSERT_NE(server.connections.ListeningPort(), 0) << server.status.Text();
    }

    // Sends one request, serves it as the main window does on MSG_ACCEPT,
    // and returns what came back before the server closed.
    std::string Request(const std::string &line) {
        SOCKET client = ConnectToListener();
        send(client, line.data(), static_cast<int>(line.size()), 0);
        EXPECT_TRUE(Serve());
        std::string reply = ReplyOn(client);
        closesocket(client);
        return reply;
    }

    // Files and directories matching the pattern, "." and ".." left out.
    static int CountFiles(const std::string &pattern) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(pattern.c_str(), &found);
        int entries = 0;
        if (search == INVALID_HANDLE_VALUE) return 0;
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..") ++entries;
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return entries;
    }

    // Opens path as a reader that lets others read and write it but not
    // delete or rename it (a browser, a backup, a virus scanner), and
    // checks that such a hold does refuse a rename over the file.
    HANDLE Hold(const std::string &path) {
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::string other = board_dir + "\\other";
        WriteFile(other, "x");
        EXPECT_FALSE(MoveFileExA(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
            << "the hold does not refuse a rename";
        DeleteFileA(other.c_str());
        return reader;
    }

    static constexpr const char *kBoard = "Ann-1- -09:00- -\r\nBob-1- -09:10- -\r\n";
    std::string board_dir, data_file;
};

TEST_F(FailedSave, AnUnreadableDataFileIsShownOnTheStatusLineAndNeverAnsweredDone) {
    // A directory takes the data file's place while the server runs: the
    // request's reload cannot read it, so nothing is applied or saved.
    std::string kept = board_dir + "\\kept.dat";
    ASSERT_TRUE(MoveFileA(data_file.c_str(), kept.c_str()));
    ASSERT_TRUE(CreateDirectoryA(data_file.c_str(), nullptr));

    EXPECT_EQ(Request("#oAnn-12:00-Lunch-13:00\n\r"), "");
    EXPECT_EQ(std::string(server.status.Text()), "Cannot read " + data_file);
    // Nothing on disk was touched: the directory is still empty and no
    // temporary file was left.
    EXPECT_EQ(ReadBytes(kept), kBoard);
    EXPECT_EQ(CountFiles(data_file + "\\*"), 0);
    EXPECT_EQ(CountFiles(board_dir + "\\*.tmp"), 0);

    // Once the file is back, the next request is saved and answered.
    ASSERT_TRUE(RemoveDirectoryA(data_file.c_str()));
    ASSERT_TRUE(MoveFileA(kept.c_str(), data_file.c_str()));
    EXPECT_EQ(Request("#oBob-12:05-Bank-12:30\n\r"), "0\n\r");
    EXPECT_EQ(ReadBytes(data_file), "Ann-1- -09:00- -\r\nBob-0-Bank-12:05-12:30-\r\n");
}

} // namespace

namespace {

TEST_F(FailedSave, AHeldDataFileIsNotAnsweredDoneAndIsLeftWhole) {
    HANDLE reader = Hold(data_file);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Request("#oAnn-12:00-Lunch-13:00\n\r"), "");
    CloseHandle(reader);
    EXPECT_EQ(std::string(server.status.Text()), "Cannot save " + data_file);
    EXPECT_EQ(ReadBytes(data_file), kBoard);
    EXPECT_EQ(CountFiles(board_dir + "\\*.tmp"), 0);
}

TEST_F(FailedSave, AHeldPageIsWrittenInPlace) {
    std::string page = server.settings.HTMLFile;
    WriteFile(page, "an older page, longer than nothing");
    HANDLE reader = Hold(page);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Request("#oAnn-12:00-Lunch-13:00\n\r"), "0\n\r");
    CloseHandle(reader);
    EXPECT_EQ(std::string(server.status.Text()), "");
    std::string written = ReadBytes(page);
    EXPECT_EQ(written.rfind("<HTML>", 0), 0u) << written;
    EXPECT_NE(written.find("Lunch"), std::string::npos) << written;
    EXPECT_EQ(written.substr(written.size() - 9), "</HTML>\r\n");
    EXPECT_EQ(CountFiles(board_dir + "\\*.tmp"), 0);
}

} // namespace

namespace {

TEST_F(FailedSave, AnswersNoMemberOfTheBatchAndLeavesThePageAsItWas) {
    ASSERT_EQ(Request("#iAnn-08:00\n\r"), "0\n\r");
    const std::string page = ReadBytes(server.settings.HTMLFile);
    HANDLE reader = Hold(data_file);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    SOCKET ann = ConnectToListener(), bob = ConnectToListener();
    send(ann, "#oAnn-12:00-Lunch-13:00\n\r", 25, 0);
    send(bob, "#oBob-12:01-Bank-13:00\n\r", 24, 0);
    // Served together or one after the other: each save fails.
    unsigned long before = server.connections.AcceptedCount();
    for (int i = 0; i < 2 && server.connections.AcceptedCount() < before + 2; ++i)
        EXPECT_TRUE(Serve());
    CloseHandle(reader);
    EXPECT_EQ(ReplyOn(ann), "");
    EXPECT_EQ(ReplyOn(bob), "");
    closesocket(ann);
    closesocket(bob);
    EXPECT_EQ(ReadBytes(server.settings.HTMLFile), page);
    EXPECT_EQ(ReadBytes(data_file), "Ann-1- -08:00- -\r\nBob-1- -09:10- -\r\n");
}

} // namespace
