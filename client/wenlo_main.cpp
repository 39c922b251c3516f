// wenlo.exe: the sign-in client. The hidden window answers the log-off
// query; the sign-in dialog runs until the member confirms Exit.
#include "client/client_state.h"
#include "client/signin_dialog.h"
#include "client/wenlo_ids.h"
#include "common/alerts_win32.h"
#include "common/clock.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static MessageBoxAlerts alerts;
    g_alerts = &alerts;
    g_clock = &SystemClock();
    if (!CreateHiddenWindow(instance)) return -1;
    g_instance = instance;
    LoadClientSettings();
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SIGN_IN), nullptr, SignInDialogProc, 0);
    return 0;
}
