// wenlo.exe for the crowd test: the same client (dialogs, connection, tray)
// without its claim on the logon session, so that twenty of them can run in
// one Wine prefix (the real program allows one a session). The tray shell
// and the end-session reason are the system's, as in wenlo.exe.
#include "client/client_program.h"
#include "client/client_start.h"
#include "client/end_of_session.h"
#include "client/tray_icon.h"
#include "common/alerts_win32.h"
#include "common/clock.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static MessageBoxAlerts alerts;
    g_program.alerts = &alerts;
    g_program.clock = &SystemClock();
    g_program.tray_shell = &SystemTrayShell();
    g_program.end_session_reason = &SystemEndSessionReason();
    return RunSignInClient(instance);
}
