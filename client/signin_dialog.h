// The visible client: the sign-in dialog, its notification-area icon, the
// options and name list dialogs, and the hidden window that answers the
// log-off query. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// The notification icon's callback message.
constexpr UINT MSG_TRAY_ICON = WM_APP + 100;

enum class TrayChoice { Keep, SignIn, SignOut };

// What the notification icon was last given (the tests read it).
struct TrayRecord {
    bool added;
    int icon_id;   // 1018 (in), 1031 (out), 0 before the first state
    char tip[64];
};
extern TrayRecord g_tray;

// Set by Exit (Yes) when the sign-in dialog is ended.
extern bool g_exit_confirmed;

INT_PTR CALLBACK SignInDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK NameListDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Selects the state's radio button and shows its icon and tip.
void SetTrayState(TrayChoice choice);

// Shows the sign-in dialog with the user name and the time of the next
// action refreshed, and brings it to the front.
void ShowSignInDialog();

// Registers the "SIGNIN" class and creates the hidden window; 0 on failure.
int CreateHiddenWindow(HINSTANCE instance);
