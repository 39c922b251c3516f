// Resource and control ids of wenlo.exe (included by wenlo.rc and the code),
// and for the code alone the client's own window messages and timers.
#pragma once

#define IDD_SIGN_IN 103
#define IDD_NAME_LIST 108
#define IDD_OPTIONS 111

#define IDI_PROGRAM 102
#define IDI_SIGNED_IN 1018
#define IDI_SIGNED_OUT 1031

// Tray tips shown when the state's time field is empty (same ids as the
// radio buttons).
#define IDS_STATE_IN 104
#define IDS_STATE_OUT 1030

// Sign-in dialog.
#define IDC_NAME_BOX 1025
#define IDC_SIGN_IN 104
#define IDC_IN_ICON 1018
#define IDC_IN_TIME 1022
#define IDC_SIGN_OUT 1030
#define IDC_OUT_TIME 1021
#define IDC_DESTINATION 1026
#define IDC_RETURN_TIME 1017
#define IDC_OPTIONS 1028
#define IDC_NAME_LIST 1033
#define IDC_OUT_ICON 1031

// Options dialog.
#define IDC_OPT_USER_NAME 1029
#define IDC_OPT_SERVER 1030
#define IDC_OPT_PORT 1031
#define IDC_OPT_AUTO 1032

// Automatic sign-in and sign-out dialog.
#define IDD_AUTO_SIGN 112
#define IDC_AUTO_SIGN_IN 1040
#define IDC_AUTO_SIGN_OUT 1041
#define IDC_AUTO_DESTINATION 1042

// Name list dialog.
#define IDC_NAMES 1004
#define IDC_ADD 1005
#define IDC_EDIT 1006
#define IDC_DELETE 1007

#ifndef RC_INVOKED
#include <windows.h>

// The sign-in dialog's messages. The notification icon's callback:
constexpr UINT MSG_TRAY_ICON = WM_APP + 100;
// Bring the dialog forward: sent by a second wenlo.exe of the session to
// the hidden window, which hands it on to the dialog.
constexpr UINT MSG_BRING_FORWARD = WM_APP + 101;
// The options are saved: the dialog shows the name again.
constexpr UINT MSG_OPTIONS_SAVED = WM_APP + 102;
// From the request under way. Socket notifications (wParam the socket, low
// word of lParam the event, high word the error code):
constexpr UINT MSG_SOCKET_EVENT = WM_USER + 100;
// The asynchronous look-up's completion (wParam its task handle, high word
// of lParam the error code).
constexpr UINT MSG_LOOKUP_DONE = WM_USER + 101;
// The request's verdict, sent to its window when it ends: wParam the
// RequestStep, lParam the AutoRequest (None for the member's own).
constexpr UINT MSG_REQUEST_ENDED = WM_USER + 102;

// The sign-in dialog's timers: the bound of one request, the retry of a
// failed add of the notification icon.
constexpr UINT_PTR kConnectionTimer = 100;
constexpr UINT_PTR kTrayRetryTimer = 101;
// The hidden window's: registering for the session's notifications again,
// and the logon sign-in's retry.
constexpr UINT_PTR kSessionRegisterTimer = 201;
constexpr UINT_PTR kLogonRetryTimer = 202;
#endif
