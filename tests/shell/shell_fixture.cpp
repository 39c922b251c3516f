#include "tests/shell/shell_fixture.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/fixed_text.h"
#include "server/service/connection_table.h"
#include "server/service/status_line.h"
#include "server/shell/main_window.h"
#include "server/shell/server_state.h"

namespace {

bool class_registered = false;

void RemoveTree(const std::string &path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

void ShellTest::SetUp() {
    TheServer().instance = GetModuleHandleA(nullptr);
    if (!class_registered) {
        ASSERT_TRUE(RegisterMainWindowClass(TheServer().instance));
        class_registered = true;
    }
    ASSERT_NE(CreateMainWindow(TheServer().instance), nullptr);
    TheServer().settings = ServerSettings{};
    ClearTable(TheServer().table);
    TheServer().table.count = 0;
    TheServer().alerts = &alerts;
    TheServer().status.SetStatusText("");

    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch = std::string(temp) + "shell-" + std::to_string(GetCurrentProcessId()) + "-" +
              info->test_suite_name() + "-" + info->name();
    RemoveTree(scratch);
    ASSERT_TRUE(CreateDirectoryA(scratch.c_str(), nullptr)) << scratch;
}

void ShellTest::TearDown() {
    TheServer().connections.CloseSockets();
    if (TheServer().main_window && IsWindow(TheServer().main_window)) DestroyWindow(TheServer().main_window);
    TheServer().main_window = nullptr;
    TheServer().status.SetWindow(nullptr);
    PumpMessages();
    RemoveTree(scratch);
}

std::string ShellTest::MakeDirectory(const std::string &name) {
    std::string path = scratch + "\\" + name;
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

std::string ShellTest::ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void ShellTest::WriteFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool ShellTest::Exists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ShellTest::PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ServingTest::SetUp() {
    ShellTest::SetUp();
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
}

void ServingTest::TearDown() {
    ShellTest::TearDown();
    WSACleanup();
}

SOCKET ServingTest::ConnectToListener() {
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(TheServer().connections.ListeningPort()));
    EXPECT_EQ(connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    return client;
}

std::string ServingTest::ReplyOn(SOCKET client) {
    std::string reply;
    char buffer[256];
    int got;
    while ((got = recv(client, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, got);
    return reply;
}

bool ServingTest::Serve() {
    // The window's messages are delivered until a connection has been
    // accepted and every open one served or ended (at most 10 s, several
    // times the deadline).
    const ConnectionTable &table = TheServer().connections;
    unsigned long accepted = table.AcceptedCount();
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        PumpMessages();
        if (table.AcceptedCount() > accepted && table.OpenCount() == 0) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}
