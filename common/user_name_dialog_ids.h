// Resource ids of the user name dialog (included by both programs' .rc).
#define IDD_USER_NAME 109
#define IDC_USER_NAME_EDIT 1006
