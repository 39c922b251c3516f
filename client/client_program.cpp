#include "client/client_program.h"

#include "client/end_session_reason.h"

ClientProgram g_program;

void ResetClientProgram() {
    Alerts *alerts = g_program.alerts;
    Clock *clock = g_program.clock;
    TrayShell *tray_shell = g_program.tray_shell;
    EndSessionReason *reason = g_program.end_session_reason;
    SessionProbe *probe = g_program.session_probe;
    HINSTANCE instance = g_program.instance;
    g_program = ClientProgram();
    g_program.tray_shell = tray_shell;
    g_program.end_session_reason = reason;
    g_program.session_probe = probe;
    RearmSettingsFailureMessage();
    g_program.alerts = alerts;
    g_program.clock = clock;
    g_program.instance = instance;
}

void DropEndSessionReason() {
    if (!g_program.end_session_reason_set) return;
    g_program.end_session_reason_set = false;
    if (g_program.end_session_reason)
        g_program.end_session_reason->Destroy(g_program.hidden_window);
}
