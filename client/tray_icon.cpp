#include "client/tray_icon.h"

#include <cstring>

#include "client/client_program.h"
#include "client/icon_loader.h"
#include "common/fixed_text.h"

namespace {

class ShellNotifyIcon : public TrayShell {
  public:
    bool Notify(DWORD message, NOTIFYICONDATAA &data) override {
        return Shell_NotifyIconA(message, &data) != FALSE;
    }
};

bool Send(DWORD message) {
    TrayRecord &tray = g_program.tray;
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = g_program.dialog;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = MSG_TRAY_ICON;
    HICON icon = nullptr;
    if (message != NIM_DELETE && tray.icon_id != 0)
        icon = LoadClientIcon(tray.icon_id, SmallIconSize(g_program.dialog));
    data.hIcon = icon;
    CopyCut(data.szTip, sizeof data.szTip, tray.tip);
    bool taken = g_program.tray_shell->Notify(message, data);
    if (icon) DestroyIcon(icon);
    return taken;
}

void StartRetries() {
    TrayRecord &tray = g_program.tray;
    if (tray.retries_left > 0) return; // already retrying
    tray.retries_left = kTrayRetries;
    SetTimer(g_program.dialog, kTrayRetryTimer, kTrayRetryMs, nullptr);
}

void StopRetries() {
    g_program.tray.retries_left = 0;
    if (g_program.dialog) KillTimer(g_program.dialog, kTrayRetryTimer);
}

// Puts the recorded state in the shell: a modify while the icon is there
// or may be (an add whose answer came too late still adds it); an add when
// it is not, or when the shell no longer knows it. True once the shell has
// the icon.
bool Place() {
    TrayRecord &tray = g_program.tray;
    bool placed = ((tray.added || tray.add_failed) && Send(NIM_MODIFY)) || Send(NIM_ADD);
    tray.added = placed;
    tray.add_failed = !placed;
    return placed;
}

void Push() {
    if (!g_program.dialog || !g_program.tray_shell) return;
    if (Place())
        StopRetries();
    else
        StartRetries();
}

} // namespace

TrayShell &SystemTrayShell() {
    static ShellNotifyIcon shell;
    return shell;
}

void ShowTrayIcon(int icon_id, const char *tip) {
    g_program.tray.icon_id = icon_id;
    CopyCut(g_program.tray.tip, sizeof g_program.tray.tip, tip);
    Push();
}

void RenewTrayIcon() { Push(); }

void DeleteTrayIcon() {
    StopRetries();
    TrayRecord &tray = g_program.tray;
    if ((tray.added || tray.add_failed) && g_program.tray_shell) Send(NIM_DELETE);
    tray.added = false;
    tray.add_failed = false;
}

UINT TaskbarCreatedMessage() {
    static UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void OnTaskbarCreated() {
    // The new shell knows no icons: add ours afresh, with its state.
    g_program.tray.added = false;
    g_program.tray.add_failed = false;
    StopRetries();
    Push();
}

void OnTrayRetryTimer() {
    TrayRecord &tray = g_program.tray;
    if (tray.retries_left <= 0 || tray.added) {
        StopRetries();
        return;
    }
    int left = tray.retries_left - 1;
    if (Place() || left == 0)
        StopRetries();
    else
        tray.retries_left = left;
}
