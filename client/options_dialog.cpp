#include "client/options_dialog.h"

#include <cstring>

#include "client/automatic_dialog.h"
#include "client/client_program.h"
#include "client/wenlo_ids.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_OPT_USER_NAME, g_program.settings.user_name);
        SetDlgItemTextA(dialog, IDC_OPT_SERVER, g_program.settings.server);
        SetDlgItemTextA(dialog, IDC_OPT_PORT, g_program.settings.port);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: {
            char before[sizeof g_program.settings.user_name];
            CopyCut(before, g_program.settings.user_name);
            GetDlgItemTextA(dialog, IDC_OPT_USER_NAME, g_program.settings.user_name,
                            sizeof g_program.settings.user_name);
            if (std::strcmp(before, g_program.settings.user_name) != 0)
                g_program.auto_signer.NameChanged();
        }
            GetDlgItemTextA(dialog, IDC_OPT_SERVER, g_program.settings.server,
                            sizeof g_program.settings.server);
            GetDlgItemTextA(dialog, IDC_OPT_PORT, g_program.settings.port,
                            sizeof g_program.settings.port);
            CopyCut(g_program.settings.current_name, g_program.settings.user_name);
            ClientStore().Write("UserName", g_program.settings.user_name);
            ClientStore().Write("Server", g_program.settings.server);
            ClientStore().Write("Port", g_program.settings.port);
            if (g_program.dialog) SendMessageA(g_program.dialog, MSG_OPTIONS_SAVED, 0, 0);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_OPT_AUTO:
            DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_AUTO_SIGN), dialog,
                            AutoSignDialogProc, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
