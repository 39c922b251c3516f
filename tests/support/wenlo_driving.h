// Driving running wenlo.exe processes from another program in their Wine
// prefix, as a member would: the sign-in dialog's caption and tray
// message, its fields filled, its radio buttons chosen, message boxes
// read, and a failure report that tells what is on screen. Windows only;
// header only, for the small driver programs.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "client/wenlo_ids.h"

namespace wenlo_driving {

inline const char kSignInCaption[] = "KVT Sign-In / Sign-Out  v1.42";
// The tray icon's callback message.
inline const UINT kTrayMessage = WM_APP + 100;

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

inline void SetText(HWND dialog, int control, const std::string &text) {
    HWND item = GetDlgItem(dialog, control);
    if (!item) Fail("no control " + std::to_string(control));
    SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Checks Sign In or Sign Out as a click does, and has the dialog act on
// the click before anything else is typed (sent, not posted).
inline void Choose(HWND dialog, int radio) {
    int other = radio == IDC_SIGN_IN ? IDC_SIGN_OUT : IDC_SIGN_IN;
    SendMessageA(GetDlgItem(dialog, radio), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog, other), BM_SETCHECK, BST_UNCHECKED, 0);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(radio, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, radio)), SMTO_NORMAL,
                             30000, &result))
        Fail("the sign-in dialog does not answer");
}

} // namespace wenlo_driving
