// The Board Options dialog: the time of the daily reset ("HH:MM", 24-hour;
// empty for never), the web port (empty for none) and whether members may
// sign in and out from a browser. OK stores them as ResetTime, WebPort and
// WebSignIn ("TRUE" or "FALSE"); a text that is no such time or port is
// refused and the dialog stays open. A changed web port takes effect at the
// next start, which the dialog says; signing in from a browser at once.
#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "common/fixed_text.h"
#include "common/settings_store_win32.h"
#include "server/history/daily_reset.h"
#include "server/shell/admin_dialog_procs.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/dialog_ids.h"
#include "server/shell/server_state.h"

const char kResetTimeRefusedText[] =
    "The time must be HH:MM (24-hour, 00:00 to 23:59), or empty for never.";
const char kBoardOptionsCaption[] = "Tesmar Board Options";
const char kWebPortRefusedText[] = "The web port must be a number from 1 to 65535, or empty for none.";

namespace {

// 1 to 65535 in decimal digits alone.
bool IsPortNumber(const char *text) {
    long value = 0;
    for (const char *c = text; *c; ++c) {
        if (*c < '0' || *c > '9' || c - text >= 5) return false;
        value = value * 10 + (*c - '0');
    }
    return text[0] != '\0' && value >= 1 && value <= 65535;
}

bool Refuse(HWND dialog, int control, const char *text) {
    TheServer().alerts->Ask(text, kBoardOptionsCaption, AlertIcon::Warning, AlertButtons::Ok);
    SetFocus(GetDlgItem(dialog, control));
    return false;
}

// Returns false, having said why, when the dialog must stay open.
bool ConfirmBoardOptions(HWND dialog) {
    char typed[16] = "";
    GetDlgItemTextA(dialog, IDC_BOARD_RESET_TIME, typed, sizeof typed);
    int hour, minute;
    if (typed[0] != '\0' && (std::strlen(typed) >= sizeof TheServer().settings.ResetTime ||
                             !ParseResetTime(typed, hour, minute)))
        return Refuse(dialog, IDC_BOARD_RESET_TIME, kResetTimeRefusedText);
    char web_port[16] = "";
    GetDlgItemTextA(dialog, IDC_BOARD_WEB_PORT, web_port, sizeof web_port);
    if (web_port[0] != '\0' && !IsPortNumber(web_port))
        return Refuse(dialog, IDC_BOARD_WEB_PORT, kWebPortRefusedText);

    bool changed = std::strcmp(typed, TheServer().settings.ResetTime) != 0;
    bool web_port_changed = std::strcmp(web_port, TheServer().settings.WebPort) != 0;
    CopyCut(TheServer().settings.ResetTime, typed);
    CopyCut(TheServer().settings.WebPort, web_port);
    bool web_sign_in = IsDlgButtonChecked(dialog, IDC_BOARD_WEB_SIGN_IN) == BST_CHECKED;
    TheServer().settings.web_sign_in = web_sign_in;
    CopyCut(TheServer().settings.WebSignIn, web_sign_in ? "TRUE" : "FALSE");
    int stored = WriteSetting(kServerStore, "ResetTime", TheServer().settings.ResetTime);
    stored &= WriteSetting(kServerStore, "WebPort", TheServer().settings.WebPort);
    stored &= WriteSetting(kServerStore, "WebSignIn", TheServer().settings.WebSignIn);
    if (!stored)
        TheServer().alerts->Ask(kStoreFailedText, kStoreFailedCaption, AlertIcon::Warning,
                                AlertButtons::Ok);
    if (changed) RearmDailyReset();
    if (web_port_changed)
        TheServer().alerts->Ask(kPortChangedText, kPortChangedCaption, AlertIcon::Warning,
                                AlertButtons::Ok);
    return true;
}

} // namespace

INT_PTR CALLBACK BoardOptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_BOARD_RESET_TIME, TheServer().settings.ResetTime);
        SetDlgItemTextA(dialog, IDC_BOARD_WEB_PORT, TheServer().settings.WebPort);
        CheckDlgButton(dialog, IDC_BOARD_WEB_SIGN_IN,
                       TheServer().settings.web_sign_in ? BST_CHECKED : BST_UNCHECKED);
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
