#include "client/shell/shown_state.h"

#include "client/shell/client_program.h"
#include "client/shell/tray_icon.h"
#include "client/shell/wenlo_ids.h"

bool SignInSelected(const ClientProgram &program) {
    return program.dialog && program.sign_in_chosen;
}

void SetTrayState(ClientProgram &program, TrayChoice choice) {
    if (choice == TrayChoice::Keep)
        choice = program.sign_in_chosen ? TrayChoice::SignIn : TrayChoice::SignOut;
    bool in = choice == TrayChoice::SignIn;
    HWND dialog = program.dialog;
    CheckDlgButton(dialog, IDC_SIGN_IN, in ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SIGN_OUT, in ? BST_UNCHECKED : BST_CHECKED);
    program.sign_in_chosen = in;
    char tip[64] = "";
    GetDlgItemTextA(dialog, in ? IDC_IN_TIME : IDC_OUT_TIME, tip, sizeof tip);
    if (tip[0] == '\0' &&
        !LoadStringA(program.instance, in ? IDS_STATE_IN : IDS_STATE_OUT, tip, sizeof tip))
        tip[0] = '\0';
    ShowTrayIcon(program, in ? IDI_SIGNED_IN : IDI_SIGNED_OUT, tip);
    // The reason that holds up a log-off holds only while Sign In is chosen.
    if (!in) DropEndSessionReason(program);
}
