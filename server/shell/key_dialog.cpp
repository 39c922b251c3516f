// The key dialog, opened from Board Options: sets or clears the
// administration key (AdminKeyHash: the administration from a browser, and
// the roll call's commands) or the marshal key (MarshalKeyHash: the roll
// call's commands). A new key is typed twice and must be at least
// kMinWebKeyLength characters; Clear key takes the key away. Only the
// key's hash is stored (the plain value is removed from the registry), and
// it is in effect at once: what checks a key follows the settings' hash.
// The dialog never shows a key, only whether one is set.
#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "common/stored_key.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/server_state.h"
#include "server/shell/tesmar_ids.h"
#include "server/web/web_guard.h"

const char kAdminKeyCaption[] = "Tesmar Administration Key";
const char kMarshalKeyCaption[] = "Tesmar Marshal Key";
const char kKeySetText[] = "(a key is set)";
const char kNoKeyText[] = "(no key)";
const char kKeysDifferText[] = "The two keys differ. Type the same key in both fields.";
const char kKeyTooShortText[] =
    "The key must be at least 8 characters (a shorter one is soon guessed).";

namespace {

// The longest key the fields take, its NUL counted.
constexpr size_t kKeyCapacity = 161;

struct KeyTarget {
    ServerState *server;
    const char *caption;
    const char *name; // the setting's name, "Hash" after it in the store
    char *hash;       // the settings' field
};

bool Say(const KeyTarget &target, HWND dialog, const char *text) {
    target.server->alerts.Ask(text, target.caption, AlertIcon::Warning, AlertButtons::Ok);
    SetFocus(GetDlgItem(dialog, IDC_KEY_NEW));
    return false;
}

// Stores key (empty: none); false, having said so, when it was not stored.
bool Store(const KeyTarget &target, HWND dialog, const char *key) {
    ServerState &server = *target.server;
    if (StoreKey(server.store, server.key_crypto, target.name, key, target.hash,
                 sizeof server.settings.AdminKeyHash))
        return true;
    return Say(target, dialog, kKeyNotStoredText);
}

// Returns false, having said why, when the dialog must stay open.
bool ConfirmKey(const KeyTarget &target, HWND dialog) {
    char typed[kKeyCapacity] = "", again[kKeyCapacity] = "";
    GetDlgItemTextA(dialog, IDC_KEY_NEW, typed, sizeof typed);
    GetDlgItemTextA(dialog, IDC_KEY_AGAIN, again, sizeof again);
    bool done = false;
    if (std::strlen(typed) < kMinWebKeyLength)
        Say(target, dialog, kKeyTooShortText);
    else if (std::strcmp(typed, again) != 0)
        Say(target, dialog, kKeysDifferText);
    else
        done = Store(target, dialog, typed);
    SecureZeroMemory(typed, sizeof typed);
    SecureZeroMemory(again, sizeof again);
    return done;
}

INT_PTR CALLBACK KeyDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    KeyTarget *target = reinterpret_cast<KeyTarget *>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!target) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, target->caption);
        SendDlgItemMessageA(dialog, IDC_KEY_NEW, EM_LIMITTEXT, kKeyCapacity - 1, 0);
        SendDlgItemMessageA(dialog, IDC_KEY_AGAIN, EM_LIMITTEXT, kKeyCapacity - 1, 0);
        SetDlgItemTextA(dialog, IDC_KEY_STATE, target->hash[0] != '\0' ? kKeySetText : kNoKeyText);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            if (ConfirmKey(*target, dialog)) EndDialog(dialog, 1);
            break;
        case IDC_KEY_CLEAR:
            if (Store(*target, dialog, "")) EndDialog(dialog, 1);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        default:
            break;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void RunKeyDialog(ServerState &server, HWND owner, KeyPart part) {
    KeyTarget target = {&server, kAdminKeyCaption, "AdminKey", server.settings.AdminKeyHash};
    if (part == KeyPart::Marshal) {
        target.caption = kMarshalKeyCaption;
        target.name = "MarshalKey";
        target.hash = server.settings.MarshalKeyHash;
    }
    DialogBoxParamA(server.instance, MAKEINTRESOURCEA(IDD_KEY), owner, KeyDialogProc,
                    reinterpret_cast<LPARAM>(&target));
}
