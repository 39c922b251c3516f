// Where the time of one request goes under Wine: times each step of the
// server's request path on its own, many times over, and prints the median
// and the 90th percentile of each in microseconds.
//
//   request_path_timing.exe WORKING_DIR [ROUNDS]
//
// WORKING_DIR must hold a tesmar.dat; the page goes to board.htm there.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "common/clock.h"
#include "common/files.h"
#include "common/fixed_text.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/board_page.h"
#include "server/page/page_defaults.h"

namespace {

ServerSettings g_settings;
UserTable g_table;
StandardFileReader g_reader;
PlatformFileWriter g_writer;
LARGE_INTEGER g_frequency;

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    return (to.QuadPart - from.QuadPart) * 1e6 / g_frequency.QuadPart;
}

void Time(const char *step, int rounds, const std::function<void()> &work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER from, to;
        QueryPerformanceCounter(&from);
        work();
        QueryPerformanceCounter(&to);
        times.push_back(Microseconds(from, to));
    }
    std::sort(times.begin(), times.end());
    printf("%-46s %9.0f %9.0f\n", step, times[times.size() / 2], times[times.size() * 9 / 10]);
}

LRESULT CALLBACK Ignore(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcA(window, message, w, l);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: request_path_timing WORKING_DIR [ROUNDS]\n");
        return 2;
    }
    int rounds = argc > 2 ? atoi(argv[2]) : 200;
    QueryPerformanceFrequency(&g_frequency);
    CopyCut(g_settings.WorkingDir, argv[1]);
    char page[400];
    snprintf(page, sizeof page, "%s\\board.htm", argv[1]);
    CopyCut(g_settings.HTMLFile, page);
    CopyCut(g_settings.Header, kDefaultHeader);
    CopyCut(g_settings.Footer, kDefaultFooter);
    ClearTable(g_table);
    if (LoadBoard(g_table, g_settings, g_reader, nullptr) != BoardLoad::Loaded) {
        fprintf(stderr, "request_path_timing: no tesmar.dat in %s\n", argv[1]);
        return 1;
    }
    SortAndCompact(g_table);
    printf("%u users, %d rounds\n%-46s %9s %9s\n", static_cast<unsigned>(g_table.count), rounds,
           "step", "median us", "p90 us");

    char data_path[400];
    BuildDataFilePath(g_settings, data_path, sizeof data_path);
    static char bytes[kBoardPageCapacity];      // the data file's bytes
    static char page_bytes[kBoardPageCapacity]; // the page's
    size_t data_size = FormatBoardFile(g_table, bytes, sizeof bytes);

    Time("LoadBoard", rounds, [] { LoadBoard(g_table, g_settings, g_reader, nullptr); });
    Time("WriteBoardPage (checks the path anew)", rounds,
         [] { WriteBoardPage(g_table, g_settings, SystemClock()); });
    Time("SaveBoard", rounds, [] { SaveBoard(g_table, g_settings, g_writer); });
    Time("  SamePath (page, data file)", rounds, [&] { SamePath(g_settings.HTMLFile, data_path); });
    Time("  format the page in memory", rounds, [] {
        FormatBoardPage(g_table, g_settings, ClockTime{12, 0, 0}, page_bytes, sizeof page_bytes);
    });
    Time("  ReplaceFileDurably (data file bytes)", rounds,
         [&] { ReplaceFileDurably(data_path, bytes, data_size); });
    char page_path[400];
    snprintf(page_path, sizeof page_path, "%s", g_settings.HTMLFile);
    size_t page_size =
        FormatBoardPage(g_table, g_settings, ClockTime{12, 0, 0}, page_bytes, sizeof page_bytes);
    Time("  ReplaceOftenReadFile (page bytes)", rounds,
         [&] { ReplaceOftenReadFile(page_path, page_bytes, page_size); });
    PagePathCheck kept; // as the server keeps it from one write to the next
    Time("  WriteBoardPageBytes (the check kept)", rounds,
         [&] { WriteBoardPageBytes(g_settings, page_bytes, page_size, kept); });
    char temp[420];
    snprintf(temp, sizeof temp, "%s.timing", data_path);
    HANDLE file = INVALID_HANDLE_VALUE;
    Time("    CreateFileA", rounds, [&] {
        file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        CloseHandle(file);
    });
    file =
        CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    Time("    WriteFile + FlushFileBuffers", rounds, [&] {
        DWORD written;
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        WriteFile(file, bytes, static_cast<DWORD>(data_size), &written, nullptr);
        FlushFileBuffers(file);
    });
    CloseHandle(file);
    char moved[440];
    snprintf(moved, sizeof moved, "%s.moved", temp);
    Time("    MoveFileExA (rename back and forth)", rounds, [&] {
        MoveFileExA(temp, moved, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        MoveFileExA(moved, temp, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    });
    DeleteFileA(temp);

    // The socket calls of one connection, on loopback.
    WSADATA wsa;
    WSAStartup(MAKEWORD(1, 1), &wsa);
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = Ignore;
    window_class.lpszClassName = "timing";
    RegisterClassA(&window_class);
    HWND window =
        CreateWindowA("timing", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    int size = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr *>(&address), &size);
    listen(listener, SOMAXCONN);
    Time("WSAAsyncSelect (watch and stop)", rounds, [&] {
        WSAAsyncSelect(listener, window, WM_USER + 2, FD_ACCEPT);
        WSAAsyncSelect(listener, window, 0, 0);
    });
    Time("connect + accept + close both (loopback)", rounds, [&] {
        SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
        connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address);
        SOCKET server = accept(listener, nullptr, nullptr);
        closesocket(server);
        closesocket(client);
    });
    SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
    connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address);
    SOCKET server = accept(listener, nullptr, nullptr);
    Time("ioctlsocket FIONBIO", rounds, [&] {
        u_long blocking = 0;
        ioctlsocket(server, FIONBIO, &blocking);
    });
    Time("send 3 bytes + select + recv", rounds, [&] {
        send(client, "0\n\r", 3, 0);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(server, &readable);
        timeval wait = {3, 0};
        select(0, &readable, nullptr, nullptr, &wait);
        char buffer[16];
        recv(server, buffer, sizeof buffer, 0);
    });
    Time("send 3 bytes + recv", rounds, [&] {
        send(client, "0\n\r", 3, 0);
        char buffer[16];
        recv(server, buffer, sizeof buffer, 0);
    });
    Time("GetTickCount64", rounds, [] { GetTickCount64(); });
    closesocket(server);
    closesocket(client);
    closesocket(listener);
    WSACleanup();
    return 0;
}
