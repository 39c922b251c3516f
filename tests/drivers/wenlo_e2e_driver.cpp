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
#include <string>

#include "tests/drivers/wenlo_driving.h"

namespace {

using namespace wenlo_driving;

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

void PressOk(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    window_driving::WaitUntilHidden(dialog, "the sign-in dialog");
}

void SignIn(const char *name, const char *time) {
    HWND dialog = ShowSignIn();
    Choose(dialog, IDC_SIGN_IN);
    SetText(dialog, IDC_NAME_BOX, name);
    SetText(dialog, IDC_IN_TIME, time);
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
        Choose(dialog, IDC_SIGN_OUT);
        SetText(dialog, IDC_NAME_BOX, argv[2]);
        SetText(dialog, IDC_OUT_TIME, argv[3]);
        SetText(dialog, IDC_DESTINATION, argv[4]);
        SetText(dialog, IDC_RETURN_TIME, argv[5]);
        PressOk(dialog);
        std::printf("ok: signed out %s\n", argv[2]);
    } else if (action == "signin" && argc == 4) {
        SignIn(argv[2], argv[3]);
    } else if (action == "invalid" && argc == 3) {
        SignIn(argv[2], "9:00am");
        HWND box = WaitForDialog("Invalid Name", true);
        std::string text = MessageBoxText(box);
        std::printf("box: %s\n", text.c_str());
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (text != "That User Name is not valid.\n\r If you are sure you spelled the name "
                    "correctly, contact your network administrator.")
            Fail("unexpected text");
    } else if (action == "exit") {
        HWND dialog = WaitForDialog(kSignInCaption, false);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        HWND box = WaitForDialog("EXIT Program", true);
        std::printf("box: %s\n", MessageBoxText(box).c_str());
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    } else {
        Fail("usage: wenlo_e2e_driver ready|signout|signin|invalid|exit ...");
    }
    std::fflush(stdout);
    return 0;
}
