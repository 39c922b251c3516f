// The Board Options dialog: the time of the daily reset ("HH:MM", 24-hour;
// empty for never), the web port (empty for none), whether members may
// sign in and out from a browser, and the key a browser must give for it.
// OK stores them as ResetTime, WebPort, WebSignIn ("TRUE" or "FALSE") and,
// for a new key or No key, WebKeyHash (the key itself is never stored nor
// shown: the dialog says whether one is set, and an empty field leaves it
// as it is). A text that is no such time or port, or a new key shorter
// than kMinWebKeyLength (a key that short is guessed in minutes), is
// refused and the dialog stays open; a shorter key kept from before still
// works. A changed web port takes effect at the next start, which the
// dialog says; signing in from a browser and the key at once. Its buttons
// open the key dialog for the administration key and the marshal key.
#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "common/fixed_text.h"
#include "common/settings_store.h"
#include "common/stored_key.h"
#include "server/reset/daily_reset.h"
#include "server/web/web_guard.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/server_state.h"
#include "server/shell/tesmar_ids.h"

const char kResetTimeRefusedText[] =
    "The time must be HH:MM (24-hour, 00:00 to 23:59), or empty for never.";
const char kBoardOptionsCaption[] = "Tesmar Board Options";
const char kWebPortRefusedText[] =
    "The web port must be a number from 1 to 65535, or empty for none.";
const char kWebKeyRefusedText[] = "The web key must be at least 8 characters (a shorter one is "
                                  "soon guessed); tick No key for none.";
const char kKeyNotStoredText[] = "The key could not be stored in the registry.";

namespace {

// The longest web key the field takes, its NUL counted.
constexpr size_t kWebKeyCapacity = 64;

// 1 to 65535 in decimal digits alone.
bool IsPortNumber(const char *text) {
    long value = 0;
    for (const char *c = text; *c; ++c) {
        if (*c < '0' || *c > '9' || c - text >= 5) return false;
        value = value * 10 + (*c - '0');
    }
    return text[0] != '\0' && value >= 1 && value <= 65535;
}

bool Refuse(ServerState &server, HWND dialog, int control, const char *text) {
    server.alerts.Ask(text, kBoardOptionsCaption, AlertIcon::Warning, AlertButtons::Ok);
    SetFocus(GetDlgItem(dialog, control));
    return false;
}

// Returns false, having said why, when the dialog must stay open.
bool ConfirmBoardOptions(ServerState &server, HWND dialog) {
    ServerSettings &settings = server.settings;
    char typed[16] = "";
    GetDlgItemTextA(dialog, IDC_BOARD_RESET_TIME, typed, sizeof typed);
    int hour, minute;
    if (typed[0] != '\0' &&
        (std::strlen(typed) >= sizeof settings.ResetTime || !ParseResetTime(typed, hour, minute)))
        return Refuse(server, dialog, IDC_BOARD_RESET_TIME, kResetTimeRefusedText);
    char web_port[16] = "";
    GetDlgItemTextA(dialog, IDC_BOARD_WEB_PORT, web_port, sizeof web_port);
    if (web_port[0] != '\0' && !IsPortNumber(web_port))
        return Refuse(server, dialog, IDC_BOARD_WEB_PORT, kWebPortRefusedText);

    char web_key[kWebKeyCapacity] = "";
    bool no_key = IsDlgButtonChecked(dialog, IDC_BOARD_WEB_KEY_CLEAR) == BST_CHECKED;
    if (!no_key) GetDlgItemTextA(dialog, IDC_BOARD_WEB_KEY, web_key, sizeof web_key);
    bool web_key_changed = no_key || web_key[0] != '\0';
    if (!no_key && web_key[0] != '\0' && std::strlen(web_key) < kMinWebKeyLength)
        return Refuse(server, dialog, IDC_BOARD_WEB_KEY, kWebKeyRefusedText);

    bool changed = std::strcmp(typed, settings.ResetTime) != 0;
    bool web_port_changed = std::strcmp(web_port, settings.WebPort) != 0;
    CopyCut(settings.ResetTime, typed);
    CopyCut(settings.WebPort, web_port);
    settings.WebSignIn = IsDlgButtonChecked(dialog, IDC_BOARD_WEB_SIGN_IN) == BST_CHECKED;
    // One warning for the three, however many the store refuses.
    bool stored = WriteSetting(server.store, "ResetTime", settings.ResetTime);
    stored &= WriteSetting(server.store, "WebPort", settings.WebPort);
    stored &= WriteSetting(server.store, "WebSignIn", settings.WebSignIn ? "TRUE" : "FALSE");
    if (!stored)
        server.alerts.Ask(kStoreFailedText, kStoreFailedCaption, AlertIcon::Warning,
                          AlertButtons::Ok);
    // The key's hash is made and stored, or the key stays as it was.
    if (web_key_changed && !StoreKey(server.store, server.key_crypto, "WebKey", web_key,
                                     settings.WebKeyHash, sizeof settings.WebKeyHash))
        server.alerts.Ask(kKeyNotStoredText, kBoardOptionsCaption, AlertIcon::Warning,
                          AlertButtons::Ok);
    SecureZeroMemory(web_key, sizeof web_key);
    if (changed) RearmDailyReset(server);
    if (web_port_changed)
        server.alerts.Ask(kPortChangedText, kPortChangedCaption, AlertIcon::Warning,
                          AlertButtons::Ok);
    return true;
}

} // namespace

INT_PTR CALLBACK BoardOptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    ServerState *server = reinterpret_cast<ServerState *>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!server) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_BOARD_RESET_TIME, server->settings.ResetTime);
        SetDlgItemTextA(dialog, IDC_BOARD_WEB_PORT, server->settings.WebPort);
        CheckDlgButton(dialog, IDC_BOARD_WEB_SIGN_IN,
                       server->settings.WebSignIn ? BST_CHECKED : BST_UNCHECKED);
        SendDlgItemMessageA(dialog, IDC_BOARD_WEB_KEY, EM_LIMITTEXT, kWebKeyCapacity - 1, 0);
        SetDlgItemTextA(dialog, IDC_BOARD_WEB_KEY_STATE,
                        WebSignKey::Asked(server->settings) ? kKeySetText : kNoKeyText);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_BOARD_WEB_KEY_CLEAR:
            EnableWindow(GetDlgItem(dialog, IDC_BOARD_WEB_KEY),
                         IsDlgButtonChecked(dialog, IDC_BOARD_WEB_KEY_CLEAR) != BST_CHECKED);
            break;
        case IDC_BOARD_ADMIN_KEY:
            RunKeyDialog(*server, dialog, KeyPart::Admin);
            break;
        case IDC_BOARD_MARSHAL_KEY:
            RunKeyDialog(*server, dialog, KeyPart::Marshal);
            break;
        case IDOK:
            if (ConfirmBoardOptions(*server, dialog)) EndDialog(dialog, 1);
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

void RunBoardOptionsDialog(ServerState &server, HWND owner) {
    DialogBoxParamA(server.instance, MAKEINTRESOURCEA(IDD_BOARD_OPTIONS), owner,
                    BoardOptionsDialogProc, reinterpret_cast<LPARAM>(&server));
}
