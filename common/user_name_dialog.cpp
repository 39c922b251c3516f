// The user name dialog: shows a name buffer, OK stores the edited name back
// into it, Cancel leaves it alone.
#include "common/user_name_dialog.h"

#include "common/fixed_text.h"
#include "common/user_name_dialog_ids.h"

namespace {
// The buffer the open dialog works on (each run has its own, handed in).
const char kNameProperty[] = "UserNameBuffer";
} // namespace

INT_PTR CALLBACK UserNameDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: {
        char *name = reinterpret_cast<char *>(lparam);
        SetPropA(dialog, kNameProperty, name);
        SetDlgItemTextA(dialog, IDC_USER_NAME_EDIT, name ? name : "");
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: {
            char *name = static_cast<char *>(GetPropA(dialog, kNameProperty));
            if (name) {
                char typed[kUserNameBufferSize];
                GetDlgItemTextA(dialog, IDC_USER_NAME_EDIT, typed, sizeof typed);
                CopyCut(name, kUserNameBufferSize, typed);
            }
            RemovePropA(dialog, kNameProperty);
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL:
            RemovePropA(dialog, kNameProperty);
            EndDialog(dialog, 1);
            return TRUE;
        default:
            return TRUE;
        }
    default:
        return FALSE;
    }
}

INT_PTR RunUserNameDialog(HINSTANCE instance, HWND owner, char *name) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_USER_NAME), owner, UserNameDialogProc,
                           reinterpret_cast<LPARAM>(name));
}
