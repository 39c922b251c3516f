#include "client/signin_dialog.h"

#include <cstdio>
#include <cstring>

#include "common/clock_text.h"
#include "client/client_state.h"
#include "client/connection.h"
#include "client/name_list.h"
#include "client/wenlo_ids.h"
#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/settings_store_win32.h"
#include "common/user_name_dialog.h"

TrayRecord g_tray;
bool g_exit_confirmed;

namespace {

// Carries a name into and out of the name dialog.
char g_name_buffer[kUserNameBufferSize];

bool SignInSelected() { return IsDlgButtonChecked(g_dialog, IDC_SIGN_IN) == BST_CHECKED; }

void SetClockText(int control) {
    char text[kClockTextCapacity];
    SetDlgItemTextA(g_dialog, control, FormatClockTime(*g_clock, text, sizeof text));
}

void Notify(DWORD action, HICON icon, const char *tip) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = g_dialog;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = MSG_TRAY_ICON;
    data.hIcon = icon;
    CopyCut(data.szTip, 64, tip);
    Shell_NotifyIconA(action, &data);
}

// Adds the icon; has no effect when it is there already.
void AddTrayIcon() {
    if (g_tray.added) return;
    Notify(NIM_ADD, nullptr, "");
    g_tray.added = true;
}

void DeleteTrayIcon() {
    if (!g_tray.added) return;
    Notify(NIM_DELETE, nullptr, "");
    g_tray.added = false;
}

// The user name and the time of the action that would come next, renewed
// whenever the dialog is shown (never while it is merely repainted, so a
// name the member picked survives other windows closing over it).
void RefreshShownFields() {
    SetDlgItemTextA(g_dialog, IDC_NAME_BOX, g_client.user_name);
    SetClockText(SignInSelected() ? IDC_OUT_TIME : IDC_IN_TIME);
}

bool DrawIconButton(const DRAWITEMSTRUCT *item) {
    HICON icon = static_cast<HICON>(
        LoadImageA(g_instance, MAKEINTRESOURCEA(item->CtlID), IMAGE_ICON, 16, 16, 0));
    if (!icon) return false;
    DrawIconEx(item->hDC, item->rcItem.left, item->rcItem.top, icon, 16, 16, 0, nullptr,
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
    if (std::strchr(name, '-')) {
        g_alerts->Ask("A name cannot contain \"-\".", "Invalid Name", AlertIcon::Warning,
                      AlertButtons::Ok);
        return;
    }
    g_request.signed_in = SignInSelected();
    StartConnection(dialog);
    GetDlgItemTextA(dialog, IDC_NAME_BOX, g_client.current_name,
                    sizeof g_client.current_name);
    CopyCut(g_request.name, g_client.current_name);
    GetDlgItemTextA(dialog, IDC_IN_TIME, g_request.in_time, sizeof g_request.in_time);
    GetDlgItemTextA(dialog, IDC_OUT_TIME, g_request.out_time, sizeof g_request.out_time);
    GetDlgItemTextA(dialog, IDC_DESTINATION, g_request.destination,
                    sizeof g_request.destination);
    GetDlgItemTextA(dialog, IDC_RETURN_TIME, g_request.return_time,
                    sizeof g_request.return_time);
    ShowWindow(dialog, SW_HIDE);
    g_connection.attempts = 0;
    PostMessageA(dialog, MSG_SEND_ATTEMPT, 0, 0);
}

void AskExit(HWND dialog) {
    if (g_alerts->Ask("Terminate Sign-in / Sign-out program?", "EXIT Program",
                      AlertIcon::Question, AlertButtons::YesNo) != AlertAnswer::Yes)
        return;
    EndSockets();
    g_exit_confirmed = true;
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
        AddTrayIcon();
        SetTrayState(TrayChoice::Keep);
        SetTrayState(id == IDC_SIGN_IN ? TrayChoice::SignIn : TrayChoice::SignOut);
        break;
    case IDC_OPTIONS:
        DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, OptionsDialogProc, 0);
        break;
    case IDC_NAME_LIST:
        DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_NAME_LIST), dialog, NameListDialogProc,
                        0);
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
    RunUserNameDialog(g_instance, dialog, g_name_buffer);
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
    if (g_alerts->Ask(question, "In/Out Delete Name", AlertIcon::Question,
                      AlertButtons::YesNo) != AlertAnswer::Yes)
        return;
    NamePlace place = ClientNamePlace();
    ReplaceName(place, name, "");
    SendMessageA(list_box, LB_DELETESTRING, selected, 0);
}

} // namespace

void SetTrayState(TrayChoice choice) {
    if (choice == TrayChoice::Keep)
        choice = IsDlgButtonChecked(g_dialog, IDC_SIGN_OUT) == BST_CHECKED ? TrayChoice::SignOut
                                                                           : TrayChoice::SignIn;
    bool in = choice == TrayChoice::SignIn;
    CheckDlgButton(g_dialog, IDC_SIGN_IN, in ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(g_dialog, IDC_SIGN_OUT, in ? BST_UNCHECKED : BST_CHECKED);
    char tip[64] = "";
    GetDlgItemTextA(g_dialog, in ? IDC_IN_TIME : IDC_OUT_TIME, tip, sizeof tip);
    if (tip[0] == '\0' &&
        !LoadStringA(g_instance, in ? IDS_STATE_IN : IDS_STATE_OUT, tip, sizeof tip))
        tip[0] = '\0';
    int icon_id = in ? IDI_SIGNED_IN : IDI_SIGNED_OUT;
    HICON icon = static_cast<HICON>(
        LoadImageA(g_instance, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, 16, 16, 0));
    Notify(NIM_MODIFY, icon, tip);
    if (icon) DestroyIcon(icon);
    g_tray.icon_id = icon_id;
    CopyCut(g_tray.tip, tip);
}

void ShowSignInDialog() {
    RefreshShownFields();
    ShowWindow(g_dialog, SW_SHOW);
    SetForegroundWindow(g_dialog);
}

INT_PTR CALLBACK SignInDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG: {
        g_dialog = dialog;
        g_request.signed_in = true;
        CheckDlgButton(dialog, IDC_SIGN_IN, BST_CHECKED);
        CheckDlgButton(dialog, IDC_SIGN_OUT, BST_UNCHECKED);
        NamePlace place = ClientNamePlace();
        LoadNames(place, g_client.names);
        SetClockText(IDC_IN_TIME);
        RefreshShownFields();
        AddTrayIcon();
        SetTrayState(TrayChoice::Keep);
        SetTrayState(TrayChoice::SignIn);
        return TRUE;
    }
    case WM_DRAWITEM:
        return DrawIconButton(reinterpret_cast<const DRAWITEMSTRUCT *>(lparam)) ? TRUE : FALSE;
    case WM_COMMAND:
        OnSignInCommand(dialog, LOWORD(wparam));
        return TRUE;
    case MSG_TRAY_ICON:
        if (lparam == WM_LBUTTONDOWN) ShowSignInDialog();
        return TRUE;
    case MSG_SOCKET_EVENT:
        OnSocketEvent(wparam, lparam);
        return TRUE;
    case MSG_SEND_ATTEMPT:
        OnSendAttempt(dialog);
        return TRUE;
    case WM_TIMER:
        if (wparam != kConnectionTimer) return FALSE;
        OnConnectionTimer();
        return TRUE;
    case WM_DESTROY:
        DeleteTrayIcon();
        if (g_dialog == dialog) g_dialog = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_OPT_USER_NAME, g_client.user_name);
        SetDlgItemTextA(dialog, IDC_OPT_SERVER, g_client.server);
        SetDlgItemTextA(dialog, IDC_OPT_PORT, g_client.port);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            GetDlgItemTextA(dialog, IDC_OPT_USER_NAME, g_client.user_name,
                            sizeof g_client.user_name);
            GetDlgItemTextA(dialog, IDC_OPT_SERVER, g_client.server, sizeof g_client.server);
            GetDlgItemTextA(dialog, IDC_OPT_PORT, g_client.port, sizeof g_client.port);
            CopyCut(g_client.current_name, g_client.user_name);
            WriteSetting(kClientStore, "UserName", g_client.user_name);
            WriteSetting(kClientStore, "Server", g_client.server);
            WriteSetting(kClientStore, "Port", g_client.port);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);
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
        for (uint32_t i = 0; i < g_names.count && i < kNameSlots; ++i)
            SendMessageA(list_box, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(g_names.slots[i]));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_ADD: {
            g_name_buffer[0] = '\0';
            RunUserNameDialog(g_instance, dialog, g_name_buffer);
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

LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_QUERYENDSESSION) return DefWindowProcA(window, message, wparam, lparam);
    if (!g_dialog || !SignInSelected()) return TRUE;
    ShowSignInDialog();
    if (g_alerts->Ask("Do you want to sign out first?", "KVT Sign Out", AlertIcon::Stop,
                      AlertButtons::YesNo) != AlertAnswer::Yes)
        return TRUE;
    ShowSignInDialog();
    return FALSE;
}

int CreateHiddenWindow(HINSTANCE instance) {
    WNDCLASSA window_class;
    std::memset(&window_class, 0, sizeof window_class);
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = HiddenWindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = "SIGNIN";
    if (!RegisterClassA(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;
    g_hidden_window =
        CreateWindowA("SIGNIN", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    return g_hidden_window != nullptr;
}
