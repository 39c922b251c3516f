// Resource and control ids of wenlo.exe (included by wenlo.rc and the code).
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
