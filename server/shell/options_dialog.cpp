// The Options dialog: the port, the board page file (typed, or chosen with
// the save-file dialog) and, through the HTML editor, the page's header and
// footer. OK stores the values one by one; Cancel stores nothing.
#include <winsock2.h>
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "common/fixed_text.h"
#include "common/settings_store_win32.h"
#include "server/shell/admin_dialog_procs.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/dialog_ids.h"
#include "server/shell/server_state.h"

const char kPortChangedText[] = "You have changed the port. You will\n\r"
                                "have to restart this program for it\n\r"
                                " to take effect.";
const char kPortChangedCaption[] = "Options";

namespace {

const char kChooserTitle[] = "Name of the Wenlo HTML file";

// Port as it was when the dialog opened, to tell whether OK changed it.
char g_port_copy[sizeof(ServerSettings::Port)];

// Lets the administrator pick the page file; the choice goes into the
// field only, so that Cancel can still drop it.
void ChooseHtmlFile(HWND dialog) {
    char path[350];
    GetDlgItemTextA(dialog, IDC_OPTIONS_HTML_FILE, path, sizeof path);
    OPENFILENAMEA chooser;
    std::memset(&chooser, 0, sizeof chooser);
    chooser.lStructSize = sizeof chooser;
    // Owned by Options, which it disables while it runs: Options cannot
    // end, nor open a second chooser, under it.
    chooser.hwndOwner = dialog;
    chooser.hInstance = TheServer().instance;
    chooser.lpstrFile = path;
    chooser.nMaxFile = sizeof path;
    chooser.lpstrTitle = kChooserTitle;
    if (GetSaveFileNameA(&chooser))
        SetDlgItemTextA(dialog, IDC_OPTIONS_HTML_FILE, path);
}

void ConfirmOptions(HWND dialog) {
    ServerSettings &settings = TheServer().settings;
    Alerts &alerts = *TheServer().alerts;
    GetDlgItemTextA(dialog, IDC_OPTIONS_PORT, settings.Port, sizeof settings.Port);
    GetDlgItemTextA(dialog, IDC_OPTIONS_HTML_FILE, settings.HTMLFile,
                    sizeof settings.HTMLFile);
    if (IsDlgButtonChecked(dialog, IDC_OPTIONS_HISTORY) == BST_CHECKED) {
        CopyCut(settings.History, "TRUE");
        settings.history_flag = true;
    } else {
        CopyCut(settings.History, "FALSE");
        settings.history_flag = false;
    }
    int stored = WriteSetting(kServerStore, "Port", settings.Port);
    stored &= WriteSetting(kServerStore, "HTMLFile", settings.HTMLFile);
    stored &= WriteSetting(kServerStore, "History", settings.History);
    if (!stored)
        alerts.Ask(kStoreFailedText, kStoreFailedCaption, AlertIcon::Warning, AlertButtons::Ok);
    if (std::strcmp(settings.Port, g_port_copy) != 0)
        alerts.Ask(kPortChangedText, kPortChangedCaption, AlertIcon::Warning, AlertButtons::Ok);
}

} // namespace

int StoreServerSetting(const char *name, const char *text) {
    int stored = WriteSetting(kServerStore, name, text);
    if (!stored)
        TheServer().alerts->Ask(kStoreFailedText, kStoreFailedCaption, AlertIcon::Warning,
                                AlertButtons::Ok);
    return stored;
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CopyCut(g_port_copy, TheServer().settings.Port);
        SetDlgItemTextA(dialog, IDC_OPTIONS_PORT, TheServer().settings.Port);
        SetDlgItemTextA(dialog, IDC_OPTIONS_HTML_FILE, TheServer().settings.HTMLFile);
        CheckDlgButton(dialog, IDC_OPTIONS_HISTORY,
                       TheServer().settings.history_flag ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_OPTIONS_BROWSE:
            ChooseHtmlFile(dialog);
            break;
        case IDC_OPTIONS_HEADER:
            RunHtmlEditorDialog(dialog, HtmlPart::Header);
            break;
        case IDC_OPTIONS_FOOTER:
            RunHtmlEditorDialog(dialog, HtmlPart::Footer);
            break;
        case IDOK:
            ConfirmOptions(dialog);
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

void RunOptionsDialog(HWND owner) {
    DialogBoxParamA(TheServer().instance, MAKEINTRESOURCEA(IDD_OPTIONS), owner, OptionsDialogProc,
                    0);
}
