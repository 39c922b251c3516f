#include "server/shell/console_text.h"

#include <winsock2.h>
#include <windows.h>

namespace {

HANDLE Standard(DWORD which, const char *console_name, DWORD access) {
    HANDLE handle = GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE) return handle;
    AttachConsole(ATTACH_PARENT_PROCESS);
    return CreateFileA(console_name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

} // namespace

void ConsoleLine(const std::string &text) {
    static HANDLE out = Standard(STD_OUTPUT_HANDLE, "CONOUT$", GENERIC_WRITE);
    if (out == INVALID_HANDLE_VALUE) return;
    std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool ConsoleReadLine(std::string &line) {
    HANDLE in = Standard(STD_INPUT_HANDLE, "CONIN$", GENERIC_READ | GENERIC_WRITE);
    if (in == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    bool console = GetConsoleMode(in, &mode) != 0;
    if (console) SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    line.clear();
    bool got = false;
    char c;
    DWORD read = 0;
    // A password is short: a line longer than this is cut.
    while (line.size() < 256 && ReadFile(in, &c, 1, &read, nullptr) && read == 1) {
        got = true;
        if (c == '\n') break;
        if (c != '\r') line += c;
    }
    if (console) {
        SetConsoleMode(in, mode);
        ConsoleLine("");
    }
    return got;
}
