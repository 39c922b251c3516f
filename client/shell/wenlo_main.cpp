// wenlo.exe: the sign-in client with the system's message boxes, clock,
// notification area, end-session reason and session, and its settings as
// the member's values over the machine's.
#include "client/shell/session_sign.h"
#include "client/shell/client_program.h"
#include "client/shell/client_start.h"
#include "client/shell/session_window.h"
#include "client/core/layered_settings_store.h"
#include "client/shell/tray_icon.h"
#include "common/alerts_win32.h"
#include "common/clock.h"
#include "common/settings_store_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    MessageBoxAlerts alerts;
    RegistrySettingsStore member(HKEY_CURRENT_USER, "SOFTWARE\\KVT\\Wenlo");
    LayeredSettingsStore store(member, kClientStore, alerts);
    ClientProgram program(instance, SystemClock(), store, alerts, SystemTrayShell(),
                          SystemEndSessionReason(), SystemSessionProbe());
    return RunClient(program);
}
