#include "client/shell/dialogs.h"

#include "client/shell/session_sign.h"
#include "client/shell/client_program.h"
#include "client/shell/wenlo_ids.h"

INT_PTR CALLBACK AutoSignDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    ClientProgram *kept = DialogProgram(dialog, message, lparam);
    if (!kept) return FALSE;
    ClientProgram &program = *kept;
    switch (message) {
    case WM_INITDIALOG: {
        const AutoOptions &options = program.auto_signer.Options();
        CheckDlgButton(dialog, IDC_AUTO_SIGN_IN, options.sign_in ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_AUTO_SIGN_OUT, options.sign_out ? BST_CHECKED : BST_UNCHECKED);
        SendDlgItemMessageA(dialog, IDC_AUTO_DESTINATION, EM_LIMITTEXT,
                            sizeof program.auto_destination - 1, 0);
        SetDlgItemTextA(dialog, IDC_AUTO_DESTINATION, program.auto_destination);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: {
            AutoOptions options;
            options.sign_in = IsDlgButtonChecked(dialog, IDC_AUTO_SIGN_IN) == BST_CHECKED;
            options.sign_out = IsDlgButtonChecked(dialog, IDC_AUTO_SIGN_OUT) == BST_CHECKED;
            char destination[sizeof program.auto_destination] = "";
            GetDlgItemTextA(dialog, IDC_AUTO_DESTINATION, destination, sizeof destination);
            StoreAutoOptions(program, options, destination);
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
