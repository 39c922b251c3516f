// The Options dialog: the port, the board page file (typed, or chosen with
// the save-file dialog) and, through the HTML editor, the page's header and
// footer. OK stores the values one by one; Cancel stores nothing.
#include <winsock2.h>
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "common/fixed_text.h"
#include "common/settings_store.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/tesmar_ids.h"
#include "server/shell/server_state.h"

const char kPortChangedText[] = "You have changed the port. You will\n\r"
                                "have to restart this program for it\n\r"
                                " to take effect.";
const char kPortChangedCaption[] = "Options";

namespace {

const char kChooserTitle[] = "Name of the Wenlo HTML file";

// Lets the administrator pick the page file; the choice goes into the
// field only, so that Cancel can still drop it.
void ChooseHtmlFile(ServerState &server, HWND dialog) {
    char path[350];
    GetDlgItemTextA(dialog, IDC_OPTIONS_HTML_FILE, path, sizeof path);
    OPENFILENAMEA chooser;
    std::memset(&chooser, 0, sizeof chooser);
    chooser.lStructSize = sizeof chooser;
    // Owned by Options, which it disables while it runs: Options cannot
    // end, nor open a second chooser, under it.
    chooser.hwndOwner = dialog;
    chooser.hInstance = server.instance;
    chooser.lpstrFile = path;
    chooser.nMaxFile = sizeof path;
    chooser.lpstrTitle = kChooserTitle;
    if (GetSaveFileNameA(&chooser)) SetDlgItemTextA(dialog, IDC_OPTIONS_HTML_FILE, path);
}

void ConfirmOptions(ServerState &server, HWND dialog) {
    ServerSettings &settings = server.settings;
    // Nothing else changes the port while the dialog is open: the settings
    // still hold the one it opened with.
    char port[sizeof settings.Port];
    GetDlgItemTextA(dialog, IDC_OPTIONS_PORT, port, sizeof port);
    bool port_changed = std::strcmp(port, settings.Port) != 0;
    CopyCut(settings.Port, port);
    GetDlgItemTextA(dialog, IDC_OPTIONS_HTML_FILE, settings.HTMLFile, sizeof settings.HTMLFile);
    settings.History = IsDlgButtonChecked(dialog, IDC_OPTIONS_HISTORY) == BST_CHECKED;
    // One warning for the three, however many the store refuses.
    bool stored = WriteSetting(server.store, "Port", settings.Port);
    stored &= WriteSetting(server.store, "HTMLFile", settings.HTMLFile);
    stored &= WriteSetting(server.store, "History", settings.History ? "TRUE" : "FALSE");
    if (!stored)
        server.alerts.Ask(kStoreFailedText, kStoreFailedCaption, AlertIcon::Warning,
                          AlertButtons::Ok);
    if (port_changed)
        server.alerts.Ask(kPortChangedText, kPortChangedCaption, AlertIcon::Warning,
                          AlertButtons::Ok);
}

} // namespace

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    ServerState *server = reinterpret_cast<ServerState *>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!server) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_OPTIONS_PORT, server->settings.Port);
        SetDlgItemTextA(dialog, IDC_OPTIONS_HTML_FILE, server->settings.HTMLFile);
        CheckDlgButton(dialog, IDC_OPTIONS_HISTORY,
                       server->settings.History ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_OPTIONS_BROWSE:
            ChooseHtmlFile(*server, dialog);
            break;
        case IDC_OPTIONS_HEADER:
            RunHtmlEditorDialog(*server, dialog, HtmlPart::Header);
            break;
        case IDC_OPTIONS_FOOTER:
            RunHtmlEditorDialog(*server, dialog, HtmlPart::Footer);
            break;
        case IDOK:
            ConfirmOptions(*server, dialog);
            EndDialog(dialog, 1);
            break;
        case IDCANCEL:
            EndDialog(dialog, 1);
            break;
        default:
            break;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void RunOptionsDialog(ServerState &server, HWND owner) {
    DialogBoxParamA(server.instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, OptionsDialogProc,
                    reinterpret_cast<LPARAM>(&server));
}
