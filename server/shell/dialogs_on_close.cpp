#include "server/shell/dialogs_on_close.h"

#include <cstring>

namespace {

int g_open = 0;
bool g_closing = false;

BOOL CALLBACK EndDialogWindow(HWND window, LPARAM) {
    char window_class[16] = "";
    GetClassNameA(window, window_class, sizeof window_class);
    // Dialogs and message boxes alike; a message box ended so answers
    // neither Yes nor OK.
    if (std::strcmp(window_class, "#32770") == 0) EndDialog(window, 0);
    return TRUE;
}

} // namespace

void RunMenuDialogs(HWND main, void (*run)(HWND main)) {
    if (g_closing) return;
    ++g_open;
    run(main);
    --g_open;
    if (g_open == 0 && g_closing) PostMessageA(main, WM_CLOSE, 0, 0);
}

bool CloseAfterDialogs() {
    if (g_open == 0) {
        g_closing = false; // the close itself follows
        return false;
    }
    g_closing = true;
    EnumThreadWindows(GetCurrentThreadId(), EndDialogWindow, 0);
    return true;
}

bool ClosingWithDialogs() { return g_closing; }
