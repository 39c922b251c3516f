// wenlo.exe: the sign-in client with the system's message boxes, clock,
// notification area and end-session reason.
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
    return RunClient(instance);
}
