#include "client/signin_dialog.h"

#include <cstdio>
#include <cstring>

#include "common/clock_text.h"
#include "client/client_program.h"
#include "client/connection.h"
#include "client/icon_loader.h"
#include "client/name_list.h"
#include "client/session_watch.h"
#include "client/tray_icon.h"
#include "client/wenlo_ids.h"
#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/protocol.h"
#include "common/settings_store_win32.h"
#include "common/user_name_dialog.h"

namespace {

// Carries a name into and out of the name dialog.
char g_name_buffer[kUserNameBufferSize];

void SetClockText(int control) {
    char text[kClockTextCapacity];
    SetDlgItemTextA(g_program.dialog, control,
                    FormatClockTime(*g_program.clock, text, sizeof text));
}

// The user name and the time of the action that would come next, renewed
// whenever the dialog is shown (never while it is merely repainted, so a
// name the member picked survives other windows closing over it).
void RefreshShownFields() {
    SetDlgItemTextA(g_program.dialog, IDC_NAME_BOX, g_program.settings.user_name);
    SetClockText(SignInSelected() ? IDC_OUT_TIME : IDC_IN_TIME);
}

bool DrawIconButton(HWND dialog, const DRAWITEMSTRUCT *item) {
    int size = SmallIconSize(dialog);
    HICON icon = LoadClientIcon(static_cast<int>(item->CtlID), size);
    if (!icon) return false;
    DrawIconEx(item->hDC, item->rcItem.left, item->rcItem.top, icon, size, size, 0, nullptr,
               DI_NORMAL);
    DestroyIcon(icon);
    return true;
}

void PressOk(HWND dialog) {
    SetTrayState(TrayChoice::Keep);
    char name[kNameCapacity];
    GetDlgItemTextA(dialog, IDC_NAME_BOX, name, sizeof name);
    // The wire separates fields with "-": such a name would reach the
    // server as another name.
    if (HoldsFieldSeparator(name)) {
        g_program.alerts->Ask("A name cannot contain \"-\".", "Invalid Name", AlertIcon::Warning,
                              AlertButtons::Ok);
        return;
    }
    g_program.request.signed_in = SignInSelected();
    GetDlgItemTextA(dialog, IDC_NAME_BOX, g_program.settings.current_name,
                    sizeof g_program.settings.current_name);
    CopyCut(g_program.request.name, g_program.settings.current_name);
    GetDlgItemTextA(dialog, IDC_IN_TIME, g_program.request.in_time,
                    sizeof g_program.request.in_time);
    GetDlgItemTextA(dialog, IDC_OUT_TIME, g_program.request.out_time,
                    sizeof g_program.request.out_time);
    GetDlgItemTextA(dialog, IDC_DESTINATION, g_program.request.destination,
                    sizeof g_program.request.destination);
    GetDlgItemTextA(dialog, IDC_RETURN_TIME, g_program.request.return_time,
                    sizeof g_program.request.return_time);
    ShowWindow(dialog, SW_HIDE);
    StartConnection(dialog, AutoRequest::None);
}

void AskExit(HWND dialog) {
    if (g_program.alerts->Ask("Terminate Sign-in / Sign-out program?", "EXIT Program",
                              AlertIcon::Question, AlertButtons::YesNo) != AlertAnswer::Yes)
        return;
    EndSockets();
    g_program.exit_confirmed = true;
    EndDialog(dialog, 1);
}

void OnSignInCommand(HWND dialog, int id) {
    switch (id) {
    case IDOK:
        PressOk(dialog);
        break;
    case IDCANCEL:
        AskExit(dialog);
        break;
    case 3: // Cancel: hide, send nothing
        SetTrayState(TrayChoice::Keep);
        ShowWindow(dialog, SW_HIDE);
        break;
    case IDC_SIGN_IN:
    case IDC_SIGN_OUT:
        SetTrayState(id == IDC_SIGN_IN ? TrayChoice::SignIn : TrayChoice::SignOut);
        break;
    case IDC_OPTIONS:
        DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr,
                        OptionsDialogProc, 0);
        break;
    case IDC_NAME_LIST:
        DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_NAME_LIST), dialog,
                        NameListDialogProc, 0);
        break;
    default:
        break;
    }
}

// Adds a name to the name list dialog's list box as the list holds it.
void AddListLine(HWND list_box, const char *name) {
    char cut[kNameCapacity];
    CopyCut(cut, name);
    if (cut[0] == '\0') return; // empty names are never listed
    SendMessageA(list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(cut));
}

// The selected line of the list box into out; false when none is selected.
bool SelectedLine(HWND list_box, char *out, size_t capacity) {
    LRESULT selected = SendMessageA(list_box, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return false;
    LRESULT length = SendMessageA(list_box, LB_GETTEXTLEN, selected, 0);
    if (length == LB_ERR || static_cast<size_t>(length) >= capacity) return false;
    SendMessageA(list_box, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(out));
    return true;
}

void EditName(HWND dialog) {
    HWND list_box = GetDlgItem(dialog, IDC_NAMES);
    char old_name[kUserNameBufferSize];
    if (!SelectedLine(list_box, old_name, sizeof old_name)) return;
    LRESULT selected = SendMessageA(list_box, LB_GETCURSEL, 0, 0);
    CopyCut(g_name_buffer, old_name);
    RunUserNameDialog(g_program.instance, dialog, g_name_buffer);
    NamePlace place = ClientNamePlace();
    if (!ReplaceName(place, old_name, g_name_buffer)) return;
    SendMessageA(list_box, LB_DELETESTRING, selected, 0);
    AddListLine(list_box, g_name_buffer);
}

void DeleteName(HWND dialog) {
    HWND list_box = GetDlgItem(dialog, IDC_NAMES);
    char name[kUserNameBufferSize];
    if (!SelectedLine(list_box, name, sizeof name)) return;
    LRESULT selected = SendMessageA(list_box, LB_GETCURSEL, 0, 0);
    char question[64];
    std::snprintf(question, sizeof question, "Delete user: %s", name);
    if (g_program.alerts->Ask(question, "In/Out Delete Name", AlertIcon::Question,
                              AlertButtons::YesNo) != AlertAnswer::Yes)
        return;
    NamePlace place = ClientNamePlace();
    ReplaceName(place, name, "");
    SendMessageA(list_box, LB_DELETESTRING, selected, 0);
}

} // namespace

bool SignInSelected() { return g_program.dialog && g_program.sign_in_chosen; }

void SetTrayState(TrayChoice choice) {
    if (choice == TrayChoice::Keep)
        choice = IsDlgButtonChecked(g_program.dialog, IDC_SIGN_OUT) == BST_CHECKED
                     ? TrayChoice::SignOut
                     : TrayChoice::SignIn;
    bool in = choice == TrayChoice::SignIn;
    CheckDlgButton(g_program.dialog, IDC_SIGN_IN, in ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(g_program.dialog, IDC_SIGN_OUT, in ? BST_UNCHECKED : BST_CHECKED);
    g_program.sign_in_chosen = in;
    char tip[64] = "";
    GetDlgItemTextA(g_program.dialog, in ? IDC_IN_TIME : IDC_OUT_TIME, tip, sizeof tip);
    if (tip[0] == '\0' &&
        !LoadStringA(g_program.instance, in ? IDS_STATE_IN : IDS_STATE_OUT, tip, sizeof tip))
        tip[0] = '\0';
    ShowTrayIcon(in ? IDI_SIGNED_IN : IDI_SIGNED_OUT, tip);
    // The reason that holds up a log-off holds only while Sign In is chosen.
    if (!in) DropEndSessionReason();
}

void ShowSignInDialog() {
    HWND dialog = g_program.dialog;
    if (!dialog) return;
    g_program.keep_hidden = false;
    // Only a hidden dialog is refreshed: a visible one keeps what the
    // member has picked in it.
    if (!IsWindowVisible(dialog)) {
        RefreshShownFields();
        ShowWindow(dialog, SW_SHOW);
    } else if (IsIconic(dialog)) {
        ShowWindow(dialog, SW_RESTORE);
    }
    SetForegroundWindow(dialog);
}

void RefreshNameBox() {
    HWND dialog = g_program.dialog;
    if (!dialog) return;
    NamePlace place = ClientNamePlace();
    place.box.Clear();
    LoadNames(place, g_program.settings.names);
    SetDlgItemTextA(dialog, IDC_NAME_BOX, g_program.settings.user_name);
}

INT_PTR CALLBACK SignInDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == TaskbarCreatedMessage()) {
        OnTaskbarCreated();
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG: {
        g_program.dialog = dialog;
        g_program.request.signed_in = true;
        CheckDlgButton(dialog, IDC_SIGN_IN, BST_CHECKED);
        CheckDlgButton(dialog, IDC_SIGN_OUT, BST_UNCHECKED);
        g_program.sign_in_chosen = true;
        NamePlace place = ClientNamePlace();
        LoadNames(place, g_program.settings.names);
        SetClockText(IDC_IN_TIME);
        RefreshShownFields();
        SetTrayState(TrayChoice::SignIn);
        AutoSignInAtStart();
        return TRUE;
    }
    case WM_WINDOWPOSCHANGING:
        // Signed in by itself at start-up: shown only when asked for.
        if (g_program.keep_hidden)
            reinterpret_cast<WINDOWPOS *>(lparam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
        return FALSE;
    case WM_DRAWITEM:
        return DrawIconButton(dialog, reinterpret_cast<const DRAWITEMSTRUCT *>(lparam)) ? TRUE
                                                                                        : FALSE;
    case WM_COMMAND:
        OnSignInCommand(dialog, LOWORD(wparam));
        return TRUE;
    case MSG_TRAY_ICON:
        if (lparam == WM_LBUTTONDOWN) ShowSignInDialog();
        return TRUE;
    case MSG_SOCKET_EVENT:
        OnSocketEvent(wparam, lparam);
        return TRUE;
    case MSG_LOOKUP_DONE:
        OnLookupDone(wparam, lparam);
        return TRUE;
    case WM_TIMER:
        if (wparam == kConnectionTimer)
            OnConnectionTimer();
        else if (wparam == kTrayRetryTimer)
            OnTrayRetryTimer();
        else
            return FALSE;
        return TRUE;
    case WM_DPICHANGED:
        RenewTrayIcon();
        InvalidateRect(dialog, nullptr, TRUE);
        return FALSE;
    case WM_DESTROY:
        DeleteTrayIcon();
        if (g_program.dialog == dialog) g_program.dialog = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_OPT_USER_NAME, g_program.settings.user_name);
        SetDlgItemTextA(dialog, IDC_OPT_SERVER, g_program.settings.server);
        SetDlgItemTextA(dialog, IDC_OPT_PORT, g_program.settings.port);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: {
            char before[sizeof g_program.settings.user_name];
            CopyCut(before, g_program.settings.user_name);
            GetDlgItemTextA(dialog, IDC_OPT_USER_NAME, g_program.settings.user_name,
                            sizeof g_program.settings.user_name);
            if (std::strcmp(before, g_program.settings.user_name) != 0)
                g_program.auto_signer.NameChanged();
        }
            GetDlgItemTextA(dialog, IDC_OPT_SERVER, g_program.settings.server,
                            sizeof g_program.settings.server);
            GetDlgItemTextA(dialog, IDC_OPT_PORT, g_program.settings.port,
                            sizeof g_program.settings.port);
            CopyCut(g_program.settings.current_name, g_program.settings.user_name);
            ClientStore().Write("UserName", g_program.settings.user_name);
            ClientStore().Write("Server", g_program.settings.server);
            ClientStore().Write("Port", g_program.settings.port);
            RefreshNameBox();
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_OPT_AUTO:
            DialogBoxParamA(g_program.instance, MAKEINTRESOURCEA(IDD_AUTO_SIGN), dialog,
                            AutoSignDialogProc, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK AutoSignDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        const AutoOptions &options = g_program.auto_signer.Options();
        CheckDlgButton(dialog, IDC_AUTO_SIGN_IN, options.sign_in ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_AUTO_SIGN_OUT, options.sign_out ? BST_CHECKED : BST_UNCHECKED);
        SendDlgItemMessageA(dialog, IDC_AUTO_DESTINATION, EM_LIMITTEXT,
                            sizeof g_program.auto_destination - 1, 0);
        SetDlgItemTextA(dialog, IDC_AUTO_DESTINATION, g_program.auto_destination);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK: {
            AutoOptions options;
            options.sign_in = IsDlgButtonChecked(dialog, IDC_AUTO_SIGN_IN) == BST_CHECKED;
            options.sign_out = IsDlgButtonChecked(dialog, IDC_AUTO_SIGN_OUT) == BST_CHECKED;
            char destination[sizeof g_program.auto_destination] = "";
            GetDlgItemTextA(dialog, IDC_AUTO_DESTINATION, destination, sizeof destination);
            StoreAutoOptions(options, destination);
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK NameListDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: {
        HWND list_box = GetDlgItem(dialog, IDC_NAMES);
        for (uint32_t i = 0; i < g_program.names.count && i < kNameSlots; ++i)
            SendMessageA(list_box, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(g_program.names.slots[i]));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_ADD: {
            g_name_buffer[0] = '\0';
            RunUserNameDialog(g_program.instance, dialog, g_name_buffer);
            NamePlace place = ClientNamePlace();
            if (AddName(place, g_name_buffer))
                AddListLine(GetDlgItem(dialog, IDC_NAMES), g_name_buffer);
            return TRUE;
        }
        case IDC_EDIT:
            EditName(dialog);
            return TRUE;
        case IDC_NAMES:
            if (HIWORD(wparam) == LBN_DBLCLK) EditName(dialog);
            return TRUE;
        case IDC_DELETE:
            DeleteName(dialog);
            return TRUE;
        default:
            return TRUE; // Escape and the close box do nothing: OK is the way out
        }
    default:
        return FALSE;
    }
}
