// Run by the native tests inside a server's prefix: waits for a visible
// message box with the given caption, prints its text, presses its OK
// button. Exits 0 when a box was found and pressed, 1 when none showed in
// time.
//
//   box_probe CAPTION TIMEOUT_MS
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    DWORD deadline = GetTickCount() + static_cast<DWORD>(std::atoi(argv[2]));
    while (static_cast<LONG>(deadline - GetTickCount()) > 0) {
        HWND box = FindWindowA("#32770", argv[1]);
        // A box on its way out lingers hidden: only a visible one counts.
        if (box && IsWindowVisible(box)) {
            char text[512] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            std::printf("%s\n", text);
            std::fflush(stdout);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(100);
    }
    std::printf("no box\n");
    return 1;
}
