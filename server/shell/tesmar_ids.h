// Resource ids of the server program: the main window's menu commands and
// the administration dialogs with their controls. The resource scripts
// include it too.
#pragma once

// Main window menu
#define IDM_OPTIONS 40001
#define IDM_ABOUT 40003
#define IDM_USERS 40004
#define IDM_BOARD_OPTIONS 40005
#define IDM_ROLLCALL_START 40006
#define IDM_ROLLCALL_END 40007

// Dialog templates (the user name dialog, 109, is common/user_name_dialog_ids.h)
#define IDD_OPTIONS 107
#define IDD_USER_MANAGER 108
#define IDD_ABOUT 111
#define IDD_HTML_EDITOR 114
#define IDD_BOARD_OPTIONS 115
#define IDD_KEY 116

// Options dialog
#define IDC_OPTIONS_HTML_FILE 1002
#define IDC_OPTIONS_PORT 1003
#define IDC_OPTIONS_BROWSE 1004
#define IDC_OPTIONS_HISTORY 1014
#define IDC_OPTIONS_HEADER 1015
#define IDC_OPTIONS_FOOTER 1016

// User Manager
#define IDC_USERS_LIST 1004
#define IDC_USERS_ADD 1005
#define IDC_USERS_EDIT 1006
#define IDC_USERS_DELETE 1007

// HTML editor dialog
#define IDC_HTML_TEXT 1006

// Board Options dialog
#define IDC_BOARD_RESET_TIME 1020
#define IDC_BOARD_WEB_PORT 1021
#define IDC_BOARD_WEB_SIGN_IN 1022
#define IDC_BOARD_WEB_KEY 1023
#define IDC_BOARD_WEB_KEY_STATE 1024
#define IDC_BOARD_WEB_KEY_CLEAR 1025
#define IDC_BOARD_ADMIN_KEY 1026
#define IDC_BOARD_MARSHAL_KEY 1027

// Key dialog (the administration key, the marshal key)
#define IDC_KEY_STATE 1030
#define IDC_KEY_NEW 1031
#define IDC_KEY_AGAIN 1032
#define IDC_KEY_CLEAR 1033
