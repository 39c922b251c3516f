// Driving a running program's windows from another program in its Wine
// prefix: windows found with a deadline, fields set, buttons pressed, text
// and message boxes read, and a failure that says what is on screen.
// Windows only; header only, for the small driver programs.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace window_driving {

// How long a driver waits for a window to show or to go.
constexpr DWORD kWindowDeadlineMs = 30000;

// The text of a message box (its static text), "" for other windows.
inline std::string MessageBoxText(HWND box) {
    char text[512] = "";
    HWND item = GetDlgItem(box, 0xFFFF);
    if (item) SendMessageA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Prints one dialog or message box on screen, for a failure report.
inline BOOL CALLBACK PrintDialog(HWND window, LPARAM) {
    char class_name[64] = "", caption[128] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    if (std::strcmp(class_name, "#32770") != 0) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::printf("  window \"%s\" (process %lu)%s: %s\n", caption, process,
                IsWindowVisible(window) ? " shown" : "", MessageBoxText(window).c_str());
    return TRUE;
}

// Says what went wrong and what dialogs are on screen; exits 1.
[[noreturn]] inline void Fail(const std::string &what) {
    std::printf("FAILED: %s\n", what.c_str());
    EnumWindows(PrintDialog, 0);
    std::fflush(stdout);
    std::exit(1);
}

// Polls until find gives a shown window (and, with enabled, one that takes
// input); fails after the deadline.
template <typename Find> HWND WaitFor(const std::string &what, Find find, bool enabled = false) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWindowDeadlineMs) {
        HWND window = find();
        if (window && IsWindowVisible(window) && (!enabled || IsWindowEnabled(window)))
            return window;
        Sleep(20);
    }
    Fail("no " + what + " within 30 s");
}

inline HWND WaitForWindow(const char *class_name, const char *title, bool enabled = false) {
    return WaitFor(
        std::string("\"") + (title ? title : class_name) + "\"",
        [&] { return FindWindowA(class_name, title); }, enabled);
}

// Waits until the window is hidden or gone; fails after the deadline.
inline void WaitUntilHidden(HWND window, const std::string &what) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > kWindowDeadlineMs) Fail(what + " is still shown after 30 s");
        Sleep(20);
    }
}

inline std::string TextOf(HWND window) {
    char text[1024] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        5000, nullptr);
    return text;
}

inline void SetField(HWND dialog, int id, const char *text) {
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                        SMTO_BLOCK, 5000, nullptr);
}

// The dialog told that the button was clicked (posted).
inline void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// The button clicked as the mouse would (posted).
inline void Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) Fail("no control " + std::to_string(id));
    PostMessageA(button, BM_CLICK, 0, 0);
}

} // namespace window_driving
