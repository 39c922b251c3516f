#include "client/shell/tray_icon.h"

#include <cstring>

#include "client/shell/client_program.h"
#include "client/shell/icon_loader.h"
#include "client/shell/wenlo_ids.h"
#include "common/fixed_text.h"

namespace {

class ShellNotifyIcon : public TrayShell {
  public:
    bool Notify(DWORD message, NOTIFYICONDATAA &data) override {
        return Shell_NotifyIconA(message, &data) != FALSE;
    }
};

bool Send(ClientProgram &program, DWORD message) {
    TrayRecord &tray = program.tray;
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = program.dialog;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = MSG_TRAY_ICON;
    HICON icon = nullptr;
    if (message != NIM_DELETE && tray.icon_id != 0)
        icon = LoadClientIcon(program.instance, tray.icon_id, SmallIconSize(program.dialog));
    data.hIcon = icon;
    CopyCut(data.szTip, sizeof data.szTip, tray.tip);
    bool taken = program.tray_shell.Notify(message, data);
    if (icon) DestroyIcon(icon);
    return taken;
}

void StartRetries(ClientProgram &program) {
    TrayRecord &tray = program.tray;
    if (tray.retries_left > 0) return; // already retrying
    tray.retries_left = kTrayRetries;
    SetTimer(program.dialog, kTrayRetryTimer, kTrayRetryMs, nullptr);
}

void StopRetries(ClientProgram &program) {
    program.tray.retries_left = 0;
    if (program.dialog) KillTimer(program.dialog, kTrayRetryTimer);
}

// Puts the recorded state in the shell: a modify while the icon is there
// or may be (an add whose answer came too late still adds it); an add when
// it is not, or when the shell no longer knows it. True once the shell has
// the icon.
bool Place(ClientProgram &program) {
    TrayRecord &tray = program.tray;
    bool placed =
        ((tray.added || tray.add_failed) && Send(program, NIM_MODIFY)) || Send(program, NIM_ADD);
    tray.added = placed;
    tray.add_failed = !placed;
    return placed;
}

void Push(ClientProgram &program) {
    if (!program.dialog) return;
    if (Place(program))
        StopRetries(program);
    else
        StartRetries(program);
}

} // namespace

TrayShell &SystemTrayShell() {
    static ShellNotifyIcon shell;
    return shell;
}

void ShowTrayIcon(ClientProgram &program, int icon_id, const char *tip) {
    program.tray.icon_id = icon_id;
    CopyCut(program.tray.tip, sizeof program.tray.tip, tip);
    Push(program);
}

void RenewTrayIcon(ClientProgram &program) { Push(program); }

void DeleteTrayIcon(ClientProgram &program) {
    StopRetries(program);
    TrayRecord &tray = program.tray;
    if (tray.added || tray.add_failed) Send(program, NIM_DELETE);
    tray.added = false;
    tray.add_failed = false;
}

UINT TaskbarCreatedMessage() {
    static UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void OnTaskbarCreated(ClientProgram &program) {
    // The new shell knows no icons: add ours afresh, with its state.
    program.tray.added = false;
    program.tray.add_failed = false;
    StopRetries(program);
    Push(program);
}

void OnTrayRetryTimer(ClientProgram &program) {
    TrayRecord &tray = program.tray;
    if (tray.retries_left <= 0 || tray.added) {
        StopRetries(program);
        return;
    }
    int left = tray.retries_left - 1;
    if (Place(program) || left == 0)
        StopRetries(program);
    else
        tray.retries_left = left;
}
