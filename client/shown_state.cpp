#include "client/shown_state.h"

#include "client/client_program.h"
#include "client/tray_icon.h"
#include "client/wenlo_ids.h"

bool SignInSelected() { return g_program.dialog && g_program.sign_in_chosen; }

void SetTrayState(TrayChoice choice) {
    if (choice == TrayChoice::Keep)
        choice = IsDlgButtonChecked(g_program.dialog, IDC_SIGN_OUT) == BST_CHECKED
                     ? TrayChoice::SignOut
                     : TrayChoice::SignIn;
    bool in = choice == TrayChoice::SignIn;
    CheckDlgButton(g_program.dialog, IDC_SIGN_IN, in ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(g_program.dialog, IDC_SIGN_OUT, in ? BST_UNCHECKED : BST_CHECKED);
    g_program.sign_in_chosen = in;
    char tip[64] = "";
    GetDlgItemTextA(g_program.dialog, in ? IDC_IN_TIME : IDC_OUT_TIME, tip, sizeof tip);
    if (tip[0] == '\0' &&
        !LoadStringA(g_program.instance, in ? IDS_STATE_IN : IDS_STATE_OUT, tip, sizeof tip))
        tip[0] = '\0';
    ShowTrayIcon(in ? IDI_SIGNED_IN : IDI_SIGNED_OUT, tip);
    // The reason that holds up a log-off holds only while Sign In is chosen.
    if (!in) DropEndSessionReason();
}
