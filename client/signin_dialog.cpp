#include "client/signin_dialog.h"

#include <cstdio>
#include <cstring>

#include "client/automatic_sign.h"
#include "client/client_program.h"
#include "client/end_of_session.h"
#include "client/icon_loader.h"
#include "client/name_list.h"
#include "client/names_dialog.h"
#include "client/options_dialog.h"
#include "client/request_exchange.h"
#include "client/shown_state.h"
#include "client/tray_icon.h"
#include "client/wenlo_ids.h"
#include "common/alerts.h"
#include "common/clock_text.h"
#include "common/fixed_text.h"
#include "common/protocol.h"

namespace {

const char kCannotConnect[] = "Can not connnect to server.  Try again later.";
const char kInvalidName[] = "That User Name is not valid.\n\r If you are sure you spelled the "
                            "name correctly, contact your network administrator.";

void Tell(RequestStep verdict) {
    // The verdict may come seconds after the dialog hid, with the program
    // in the background: its box comes to the front.
    Alerts &alerts = *g_program.alerts;
    alerts.SetToFront(!g_program.dialog || !IsWindowVisible(g_program.dialog));
    switch (verdict) {
    case RequestStep::UnknownName:
        alerts.Ask(kInvalidName, "Invalid Name", AlertIcon::None, AlertButtons::Ok);
        break;
    case RequestStep::CannotConnect:
        alerts.Ask(kCannotConnect, "ERROR", AlertIcon::None, AlertButtons::Ok);
        break;
    case RequestStep::SendFailed: {
        char text[64];
        std::snprintf(text, sizeof text, "Error Sending: %d ", g_program.connection.send_error);
        alerts.Ask(text, "PCommandOut1", AlertIcon::None, AlertButtons::Ok);
        break;
    }
    default:
        break;
    }
    alerts.SetToFront(false);
}

// The verdict of a request that ended. An automatic request's shows in the
// tray, never in a box: nobody may be there to press OK.
void OnRequestEnded(RequestStep step, AutoRequest automatic) {
    if (automatic != AutoRequest::None) {
        OnAutoVerdict(automatic, step);
        return;
    }
    const RequestFields &mine = g_program.request;
    bool own_done = step == RequestStep::Done && IsOwnName(mine.name);
    if (own_done) g_program.auto_signer.Confirmed(mine.signed_in);
    // An automatic request waiting behind this one goes before the box,
    // which may stay open for a long time.
    OnMemberRequestEnded(own_done, mine.signed_in);
    Tell(step);
}

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

} // namespace

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
    case MSG_REQUEST_ENDED:
        OnRequestEnded(static_cast<RequestStep>(wparam), static_cast<AutoRequest>(lparam));
        return TRUE;
    case MSG_OPTIONS_SAVED:
        RefreshNameBox();
        return TRUE;
    case MSG_BRING_FORWARD:
        ShowSignInDialog();
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
