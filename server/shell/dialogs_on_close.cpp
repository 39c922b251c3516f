#include "server/shell/dialogs_on_close.h"

#include <cstring>

namespace {

BOOL CALLBACK EndDialogWindow(HWND window, LPARAM) {
    char window_class[16] = "";
    GetClassNameA(window, window_class, sizeof window_class);
    // Dialogs and message boxes alike; a message box ended so answers
    // neither Yes nor OK.
    if (std::strcmp(window_class, "#32770") == 0) EndDialog(window, 0);
    return TRUE;
}

} // namespace

bool MenuDialogs::CloseAfterDialogs() {
    if (open_ == 0) {
        closing_ = false; // the close itself follows
        return false;
    }
    closing_ = true;
    EnumThreadWindows(GetCurrentThreadId(), EndDialogWindow, 0);
    return true;
}
