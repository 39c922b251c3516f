// The procedures and working data behind the administration dialogs, for
// the dialogs themselves and for tests that open them modelessly.
// Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// kStoreFailedText and kStoreFailedCaption, said when the store refuses a
// confirmed setting.
#include "server/board/server_settings.h"

// The name buffer the User Manager shares with the user name dialog.
extern char g_user_name_buffer[30];

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK UserManagerProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK BoardOptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// What the HTML editor dialog edits: Header or Footer of the settings.
enum class HtmlPart { Header, Footer };

// lparam of the HTML editor dialog: a HtmlPart* naming its target.
INT_PTR CALLBACK HtmlEditorProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void RunHtmlEditorDialog(HWND owner, HtmlPart part);

// Stores one setting; when the store refuses it, says so once per
// confirmation (see StoreFailureNotice). Returns what WriteSetting returned.
int StoreServerSetting(const char *name, const char *text);

// What a changed port takes (the sign-in port in Options, the web port in
// Board Options): a restart. Text and caption.
extern const char kPortChangedText[];
extern const char kPortChangedCaption[];

// What the Board Options dialog says of a reset time it refuses, and its
// caption.
extern const char kResetTimeRefusedText[];
extern const char kBoardOptionsCaption[];
// What it says of a web port that is no port number.
extern const char kWebPortRefusedText[];
