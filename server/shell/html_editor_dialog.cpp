// The HTML editor dialog: edits the page's header or footer mark-up. OK
// stores the text at once; the page shows it from its next rewrite on.
#include <winsock2.h>
#include <windows.h>

#include "server/shell/admin_dialogs.h"
#include "server/shell/server_state.h"
#include "server/shell/tesmar_ids.h"

namespace {

char *TargetText(const HtmlEditorTarget &target) {
    ServerSettings &settings = target.server->settings;
    return target.part == HtmlPart::Header ? settings.Header : settings.Footer;
}

const char *TargetName(const HtmlEditorTarget &target) {
    return target.part == HtmlPart::Header ? "Header" : "Footer";
}

} // namespace

INT_PTR CALLBACK HtmlEditorProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    const HtmlEditorTarget *target =
        reinterpret_cast<const HtmlEditorTarget *>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!target) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_HTML_TEXT, TargetText(*target));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            // Header and Footer have the same capacity.
            GetDlgItemTextA(dialog, IDC_HTML_TEXT, TargetText(*target),
                            sizeof(ServerSettings::Header));
            target->server->StoreSetting(TargetName(*target), TargetText(*target));
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

void RunHtmlEditorDialog(ServerState &server, HWND owner, HtmlPart part) {
    HtmlEditorTarget target{&server, part};
    DialogBoxParamA(server.instance, MAKEINTRESOURCEA(IDD_HTML_EDITOR), owner, HtmlEditorProc,
                    reinterpret_cast<LPARAM>(&target));
}
