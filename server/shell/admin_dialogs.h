// The administration dialogs, opened from the main window's menu, and their
// procedures (for the dialogs themselves and for tests). Each dialog gets the
// program object as its lParam and keeps it in DWLP_USER. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// kStoreFailedText and kStoreFailedCaption, said when the store refuses a
// confirmed setting.
#include "server/board/server_settings.h"

struct ServerState;

void RunOptionsDialog(ServerState &server, HWND owner);      // template 107
void RunUserManager(ServerState &server, HWND owner);        // template 108
void RunAboutBox(ServerState &server, HWND owner);           // template 111
void RunBoardOptionsDialog(ServerState &server, HWND owner); // template 115

// The key dialog (template 116): sets or clears the administration key or
// the marshal key, kept hashed (AdminKeyHash, MarshalKeyHash).
enum class KeyPart { Admin, Marshal };
void RunKeyDialog(ServerState &server, HWND owner, KeyPart part);

// lparam of each: the ServerState*.
INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK UserManagerProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK BoardOptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// What the HTML editor dialog edits: Header or Footer of the settings.
enum class HtmlPart { Header, Footer };

// lparam of the HTML editor dialog: the HtmlEditorTarget naming its server
// and the part it edits.
struct HtmlEditorTarget {
    ServerState *server;
    HtmlPart part;
};
INT_PTR CALLBACK HtmlEditorProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void RunHtmlEditorDialog(ServerState &server, HWND owner, HtmlPart part);

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
// What it says of a new web key that is too short.
extern const char kWebKeyRefusedText[];
// What Board Options and the key dialog say of a key the store (or the
// system's cryptography) refused: it stays as it was.
extern const char kKeyNotStoredText[];

// The key dialog's captions, what it shows of a key (set or not, never the
// key), and its refusals.
extern const char kAdminKeyCaption[];
extern const char kMarshalKeyCaption[];
extern const char kKeySetText[];
extern const char kNoKeyText[];
extern const char kKeysDifferText[];
extern const char kKeyTooShortText[];
