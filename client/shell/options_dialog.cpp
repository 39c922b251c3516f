#include "client/shell/dialogs.h"

#include <cstring>

#include "client/shell/client_program.h"
#include "client/shell/wenlo_ids.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    ClientProgram *kept = DialogProgram(dialog, message, lparam);
    if (!kept) return FALSE;
    ClientProgram &program = *kept;
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_OPT_USER_NAME, program.settings.user_name);
        SetDlgItemTextA(dialog, IDC_OPT_SERVER, program.settings.server);
        SetDlgItemTextA(dialog, IDC_OPT_PORT, program.settings.port);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: {
            char before[sizeof program.settings.user_name];
            CopyCut(before, program.settings.user_name);
            GetDlgItemTextA(dialog, IDC_OPT_USER_NAME, program.settings.user_name,
                            sizeof program.settings.user_name);
            if (std::strcmp(before, program.settings.user_name) != 0)
                program.auto_signer.NameChanged();
        }
            GetDlgItemTextA(dialog, IDC_OPT_SERVER, program.settings.server,
                            sizeof program.settings.server);
            GetDlgItemTextA(dialog, IDC_OPT_PORT, program.settings.port,
                            sizeof program.settings.port);
            CopyCut(program.settings.current_name, program.settings.user_name);
            program.store.Write("UserName", program.settings.user_name);
            program.store.Write("Server", program.settings.server);
            program.store.Write("Port", program.settings.port);
            if (program.dialog) SendMessageA(program.dialog, MSG_OPTIONS_SAVED, 0, 0);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_OPT_AUTO:
            DialogBoxParamA(program.instance, MAKEINTRESOURCEA(IDD_AUTO_SIGN), dialog,
                            AutoSignDialogProc, reinterpret_cast<LPARAM>(&program));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
