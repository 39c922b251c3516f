// The notification-area icon of the sign-in dialog: added with its state
// and tip, added again when the shell restarts ("TaskbarCreated"), a failed
// add retried every few seconds for about two minutes. The shell is behind
// a small interface so that tests script its answers. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

constexpr UINT kTrayRetryMs = 5000;
constexpr int kTrayRetries = 24;

// Shell_NotifyIconA, or a stand-in.
class TrayShell {
  public:
    virtual ~TrayShell() = default;
    // True when the shell took the message.
    virtual bool Notify(DWORD message, NOTIFYICONDATAA &data) = 0;
};
TrayShell &SystemTrayShell();

struct ClientProgram;

// Gives the icon this picture (a resource id) and tip, adding it when it
// is not there.
void ShowTrayIcon(ClientProgram &program, int icon_id, const char *tip);
// Shows the recorded state again (after a change of scale, say).
void RenewTrayIcon(ClientProgram &program);
void DeleteTrayIcon(ClientProgram &program);

// The shell's "TaskbarCreated" message: sent to every top-level window
// when the taskbar (re)appears.
UINT TaskbarCreatedMessage();
void OnTaskbarCreated(ClientProgram &program);
void OnTrayRetryTimer(ClientProgram &program);
