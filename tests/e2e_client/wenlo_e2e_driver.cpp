// Drives a running wenlo.exe from outside, in the same Wine prefix, as a
// member would: one action per run.
//
//   wenlo_e2e_driver ready             wait until the client has started
//   wenlo_e2e_driver signout NAME TIME DESTINATION RETURN
//   wenlo_e2e_driver signin NAME TIME
//   wenlo_e2e_driver invalid NAME      sign in NAME and expect "Invalid Name"
//   wenlo_e2e_driver exit              Exit, answered Yes
//
// Prints what it saw; exits 0 when the action went as expected.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kSignInCaption[] = "KVT Sign-In / Sign-Out  v1.42";
const UINT kTrayMessage = WM_APP + 100;

std::string BoxText(HWND box);

// Tells what dialogs and message boxes are on screen, for a failure report.
BOOL CALLBACK ListDialog(HWND window, LPARAM) {
    char class_name[64] = "", caption[128] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    if (std::strcmp(class_name, "#32770") != 0) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::printf("  window \"%s\" (process %lu)%s: %s\n", caption, process,
                IsWindowVisible(window) ? " shown" : "", BoxText(window).c_str());
    return TRUE;
}

[[noreturn]] void Fail(const std::string &what) {
    std::printf("FAILED: %s\n", what.c_str());
    EnumWindows(ListDialog, 0);
    std::fflush(stdout);
    std::exit(1);
}

// Polls for a top-level dialog with the caption, at most 30 s.
HWND WaitForDialog(const char *caption, bool visible) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
        HWND window = FindWindowA("#32770", caption);
        if (window && (!visible || IsWindowVisible(window))) return window;
        Sleep(20);
    }
    Fail(std::string("no \"") + caption + "\" within 30 s");
}

void WaitUntilHidden(HWND window) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
        if (!IsWindowVisible(window)) return;
        Sleep(20);
    }
    Fail("the sign-in dialog stayed on screen");
}

void SetText(HWND dialog, int control, const char *text) {
    HWND item = GetDlgItem(dialog, control);
    if (!item) Fail("no control " + std::to_string(control));
    SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::string BoxText(HWND box) {
    char text[512] = "";
    HWND item = GetDlgItem(box, 0xFFFF);
    if (item) SendMessageA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Waits until the window's thread has handled everything sent to it so
// far (sent messages are handled before posted ones).
void Settle(HWND window) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result))
        Fail("the sign-in dialog does not answer");
}

// The client has started: its dialog is on screen and its loop runs. A
// modal dialog is shown by its own loop the first time its queue runs
// empty, which would undo an early hide: two round trips make sure that
// has happened before anything is done.
void WaitUntilReady() {
    HWND dialog = WaitForDialog(kSignInCaption, true);
    Settle(dialog);
    Settle(dialog);
}

// Shows the dialog as a click on the tray icon does.
HWND ShowSignIn() {
    HWND dialog = WaitForDialog(kSignInCaption, false);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, kTrayMessage, 0, WM_LBUTTONDOWN, SMTO_NORMAL, 30000, &result);
    return WaitForDialog(kSignInCaption, true);
}

void Choose(HWND dialog, int radio) {
    int other = radio == 104 ? 1030 : 104;
    SendMessageA(GetDlgItem(dialog, radio), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog, other), BM_SETCHECK, BST_UNCHECKED, 0);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(radio, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, radio)), SMTO_NORMAL, 30000,
                        &result);
}

void PressOk(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    WaitUntilHidden(dialog);
}

void SignIn(const char *name, const char *time) {
    HWND dialog = ShowSignIn();
    Choose(dialog, 104);
    SetText(dialog, 1025, name);
    SetText(dialog, 1022, time);
    PressOk(dialog);
    std::printf("ok: signed in %s at %s\n", name, time);
}

} // namespace

int main(int argc, char **argv) {
    std::string action = argc > 1 ? argv[1] : "";
    if (action == "ready") {
        WaitUntilReady();
        std::printf("ok: the client is ready\n");
    } else if (action == "signout" && argc == 6) {
        HWND dialog = ShowSignIn();
        Choose(dialog, 1030);
        SetText(dialog, 1025, argv[2]);
        SetText(dialog, 1021, argv[3]);
        SetText(dialog, 1026, argv[4]);
        SetText(dialog, 1017, argv[5]);
        PressOk(dialog);
        std::printf("ok: signed out %s\n", argv[2]);
    } else if (action == "signin" && argc == 4) {
        SignIn(argv[2], argv[3]);
    } else if (action == "invalid" && argc == 3) {
        SignIn(argv[2], "9:00am");
        HWND box = WaitForDialog("Invalid Name", true);
        std::string text = BoxText(box);
        std::printf("box: %s\n", text.c_str());
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (text.rfind("That User Name is not valid.", 0) != 0) Fail("unexpected text");
    } else if (action == "exit") {
        HWND dialog = WaitForDialog(kSignInCaption, false);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        HWND box = WaitForDialog("EXIT Program", true);
        std::printf("box: %s\n", BoxText(box).c_str());
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    } else {
        Fail("usage: wenlo_e2e_driver ready|signout|signin|invalid|exit ...");
    }
    std::fflush(stdout);
    return 0;
}
