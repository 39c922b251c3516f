// The HTML editor dialog: edits the page's header or footer mark-up. OK
// stores the text at once; the page shows it from its next rewrite on.
#include <winsock2.h>
#include <windows.h>

#include "server/shell/admin_dialog_procs.h"
#include "server/shell/dialog_ids.h"
#include "server/shell/server_state.h"

namespace {

char *TargetText(HtmlPart part) {
    return part == HtmlPart::Header ? TheServer().settings.Header : TheServer().settings.Footer;
}

const char *TargetName(HtmlPart part) {
    return part == HtmlPart::Header ? "Header" : "Footer";
}

} // namespace

INT_PTR CALLBACK HtmlEditorProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: {
        const HtmlPart *part = reinterpret_cast<const HtmlPart *>(lparam);
        SetWindowLongPtrA(dialog, DWLP_USER, static_cast<LONG_PTR>(*part));
        SetDlgItemTextA(dialog, IDC_HTML_TEXT, TargetText(*part));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: {
            HtmlPart part = static_cast<HtmlPart>(GetWindowLongPtrA(dialog, DWLP_USER));
            // Header and Footer have the same capacity.
            GetDlgItemTextA(dialog, IDC_HTML_TEXT, TargetText(part), sizeof(ServerSettings::Header));
            StoreServerSetting(TargetName(part), TargetText(part));
            EndDialog(dialog, 1);
            break;
        }
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

void RunHtmlEditorDialog(HWND owner, HtmlPart part) {
    DialogBoxParamA(TheServer().instance, MAKEINTRESOURCEA(IDD_HTML_EDITOR), owner, HtmlEditorProc,
                    reinterpret_cast<LPARAM>(&part));
}
