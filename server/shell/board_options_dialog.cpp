// The Board Options dialog: the time of the daily reset ("HH:MM", 24-hour;
// empty for never). OK stores it as ResetTime; a text that is no such time
// is refused and the dialog stays open.
#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "common/fixed_text.h"
#include "server/history/daily_reset.h"
#include "server/shell/admin_dialog_procs.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/dialog_ids.h"
#include "server/shell/server_state.h"

const char kResetTimeRefusedText[] =
    "The time must be HH:MM (24-hour, 00:00 to 23:59), or empty for never.";
const char kBoardOptionsCaption[] = "Tesmar Board Options";

namespace {

// Returns false, having said why, when the dialog must stay open.
bool ConfirmBoardOptions(HWND dialog) {
    char typed[16] = "";
    GetDlgItemTextA(dialog, IDC_BOARD_RESET_TIME, typed, sizeof typed);
    int hour, minute;
    if (typed[0] != '\0' && (std::strlen(typed) >= sizeof TheServer().settings.ResetTime ||
                             !ParseResetTime(typed, hour, minute))) {
        TheServer().alerts->Ask(kResetTimeRefusedText, kBoardOptionsCaption, AlertIcon::Warning,
                      AlertButtons::Ok);
        SetFocus(GetDlgItem(dialog, IDC_BOARD_RESET_TIME));
        return false;
    }
    bool changed = std::strcmp(typed, TheServer().settings.ResetTime) != 0;
    CopyCut(TheServer().settings.ResetTime, typed);
    StoreServerSetting("ResetTime", TheServer().settings.ResetTime);
    if (changed) RearmDailyReset();
    return true;
}

} // namespace

INT_PTR CALLBACK BoardOptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_BOARD_RESET_TIME, TheServer().settings.ResetTime);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            if (ConfirmBoardOptions(dialog)) EndDialog(dialog, 1);
            break;
        case IDCANCEL:
            EndDialog(dialog, 1);
            break;
        default:
            break;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void RunBoardOptionsDialog(HWND owner) {
    DialogBoxParamA(TheServer().instance, MAKEINTRESOURCEA(IDD_BOARD_OPTIONS), owner,
                    BoardOptionsDialogProc, 0);
}
