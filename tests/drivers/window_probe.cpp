// Run by the native many-connections test inside the server's prefix:
// opens silent connections to tesmar.exe, then asks its main window for its
// title with a bounded wait. Exits 0 when the window answered in time.
//
//   window_probe PORT CONNECTIONS
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 2;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(std::atoi(argv[1])));
    std::vector<SOCKET> silent;
    for (int i = 0; i < std::atoi(argv[2]); ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        if (connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            std::printf("connection %d failed\n", i);
            return 1;
        }
        silent.push_back(s);
    }
    // Time for the server to take the connections in.
    Sleep(300);
    HWND window = FindWindowA("Tesmar 1.41", nullptr);
    if (!window) {
        std::printf("no server window\n");
        return 1;
    }
    char title[64] = "";
    DWORD_PTR copied = 0;
    DWORD start = GetTickCount();
    LRESULT answered =
        SendMessageTimeoutA(window, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title),
                            SMTO_ABORTIFHUNG, 1000, &copied);
    std::printf("answered %d in %lu ms: \"%s\"\n", answered ? 1 : 0,
                static_cast<unsigned long>(GetTickCount() - start), title);
    for (SOCKET s : silent) closesocket(s);
    return answered ? 0 : 1;
}
