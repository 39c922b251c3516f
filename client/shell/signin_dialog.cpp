#include "client/shell/dialogs.h"

#include <cstdio>
#include <cstring>

#include "client/shell/session_sign.h"
#include "client/shell/client_program.h"
#include "client/shell/icon_loader.h"
#include "client/core/name_list.h"
#include "client/shell/request_exchange.h"
#include "client/shell/shown_state.h"
#include "client/shell/tray_icon.h"
#include "client/shell/wenlo_ids.h"
#include "common/alerts.h"
#include "common/clock_text.h"
#include "common/fixed_text.h"
#include "common/protocol.h"

namespace {

const char kCannotConnect[] = "Can not connnect to server.  Try again later.";
const char kInvalidName[] = "That User Name is not valid.\n\r If you are sure you spelled the "
                            "name correctly, contact your network administrator.";

void Tell(ClientProgram &program, RequestStep verdict) {
    // The verdict may come seconds after the dialog hid, with the program
    // in the background: its box comes to the front.
    Alerts &alerts = program.alerts;
    alerts.SetToFront(!program.dialog || !IsWindowVisible(program.dialog));
    switch (verdict) {
    case RequestStep::UnknownName:
        alerts.Ask(kInvalidName, "Invalid Name", AlertIcon::None, AlertButtons::Ok);
        break;
    case RequestStep::CannotConnect:
        alerts.Ask(kCannotConnect, "ERROR", AlertIcon::None, AlertButtons::Ok);
        break;
    case RequestStep::SendFailed: {
        char text[64];
        std::snprintf(text, sizeof text, "Error Sending: %d ", program.connection.send_error);
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
void OnRequestEnded(ClientProgram &program, RequestStep step, AutoRequest automatic) {
    if (automatic != AutoRequest::None) {
        OnAutoVerdict(program, automatic, step);
        return;
    }
    const RequestFields &mine = program.request;
    bool own_done = step == RequestStep::Done && IsOwnName(program, mine.name);
    if (own_done) program.auto_signer.Confirmed(mine.signed_in);
    // An automatic request waiting behind this one goes before the box,
    // which may stay open for a long time.
    OnMemberRequestEnded(program, own_done, mine.signed_in);
    Tell(program, step);
}

void SetClockText(ClientProgram &program, int control) {
    char text[kClockTextCapacity];
    SetDlgItemTextA(program.dialog, control, FormatClockTime(program.clock, text, sizeof text));
}

// The user name and the time of the action that would come next, renewed
// whenever the dialog is shown (never while it is merely repainted, so a
// name the member picked survives other windows closing over it).
void RefreshShownFields(ClientProgram &program) {
    SetDlgItemTextA(program.dialog, IDC_NAME_BOX, program.settings.user_name);
    SetClockText(program, SignInSelected(program) ? IDC_OUT_TIME : IDC_IN_TIME);
}

bool DrawIconButton(HINSTANCE instance, HWND dialog, const DRAWITEMSTRUCT *item) {
    int size = SmallIconSize(dialog);
    HICON icon = LoadClientIcon(instance, static_cast<int>(item->CtlID), size);
    if (!icon) return false;
    DrawIconEx(item->hDC, item->rcItem.left, item->rcItem.top, icon, size, size, 0, nullptr,
               DI_NORMAL);
    DestroyIcon(icon);
    return true;
}

void PressOk(ClientProgram &program, HWND dialog) {
    SetTrayState(program, TrayChoice::Keep);
    char name[kNameCapacity];
    GetDlgItemTextA(dialog, IDC_NAME_BOX, name, sizeof name);
    // The wire separates fields with "-": such a name would reach the
    // server as another name.
    if (HoldsFieldSeparator(name)) {
        program.alerts.Ask("A name cannot contain \"-\".", "Invalid Name", AlertIcon::Warning,
                           AlertButtons::Ok);
        return;
    }
    program.request.signed_in = SignInSelected(program);
    GetDlgItemTextA(dialog, IDC_NAME_BOX, program.settings.current_name,
                    sizeof program.settings.current_name);
    CopyCut(program.request.name, program.settings.current_name);
    GetDlgItemTextA(dialog, IDC_IN_TIME, program.request.in_time, sizeof program.request.in_time);
    GetDlgItemTextA(dialog, IDC_OUT_TIME, program.request.out_time,
                    sizeof program.request.out_time);
    GetDlgItemTextA(dialog, IDC_DESTINATION, program.request.destination,
                    sizeof program.request.destination);
    GetDlgItemTextA(dialog, IDC_RETURN_TIME, program.request.return_time,
                    sizeof program.request.return_time);
    ShowWindow(dialog, SW_HIDE);
    StartRequest(program, AutoRequest::None);
}

void AskExit(ClientProgram &program, HWND dialog) {
    if (program.alerts.Ask("Terminate Sign-in / Sign-out program?", "EXIT Program",
                           AlertIcon::Question, AlertButtons::YesNo) != AlertAnswer::Yes)
        return;
    EndSockets(program.connection);
    program.exit_confirmed = true;
    EndDialog(dialog, 1);
}

void OnSignInCommand(ClientProgram &program, HWND dialog, int id) {
    switch (id) {
    case IDOK:
        PressOk(program, dialog);
        break;
    case IDCANCEL:
        AskExit(program, dialog);
        break;
    case 3: // Cancel: hide, send nothing
        SetTrayState(program, TrayChoice::Keep);
        ShowWindow(dialog, SW_HIDE);
        break;
    case IDC_SIGN_IN:
    case IDC_SIGN_OUT:
        SetTrayState(program, id == IDC_SIGN_IN ? TrayChoice::SignIn : TrayChoice::SignOut);
        break;
    case IDC_OPTIONS:
        DialogBoxParamA(program.instance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, OptionsDialogProc,
                        reinterpret_cast<LPARAM>(&program));
        break;
    case IDC_NAME_LIST:
        DialogBoxParamA(program.instance, MAKEINTRESOURCEA(IDD_NAME_LIST), dialog,
                        NameListDialogProc, reinterpret_cast<LPARAM>(&program));
        break;
    default:
        break;
    }
}

// Brings the sign-in dialog to the front: a hidden one is shown with the
// user name and the time of the next action refreshed, a minimised one is
// restored.
void ShowSignInDialog(ClientProgram &program) {
    HWND dialog = program.dialog;
    if (!dialog) return;
    program.keep_hidden = false;
    // Only a hidden dialog is refreshed: a visible one keeps what the
    // member has picked in it.
    if (!IsWindowVisible(dialog)) {
        RefreshShownFields(program);
        ShowWindow(dialog, SW_SHOW);
    } else if (IsIconic(dialog)) {
        ShowWindow(dialog, SW_RESTORE);
    }
    SetForegroundWindow(dialog);
}

// Fills the name box again with the own name and the listed names, and
// puts the own name in its edit field (after the options changed it).
void RefreshNameBox(ClientProgram &program) {
    HWND dialog = program.dialog;
    if (!dialog) return;
    NamePlace place = ClientNamePlace(program);
    place.box.Clear();
    LoadNames(place, program.settings.names);
    SetDlgItemTextA(dialog, IDC_NAME_BOX, program.settings.user_name);
}

} // namespace

INT_PTR CALLBACK SignInDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    ClientProgram *kept = DialogProgram(dialog, message, lparam);
    if (!kept) return FALSE;
    ClientProgram &program = *kept;
    if (message == TaskbarCreatedMessage()) {
        OnTaskbarCreated(program);
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG: {
        program.dialog = dialog;
        program.request.signed_in = true;
        CheckDlgButton(dialog, IDC_SIGN_IN, BST_CHECKED);
        CheckDlgButton(dialog, IDC_SIGN_OUT, BST_UNCHECKED);
        program.sign_in_chosen = true;
        NamePlace place = ClientNamePlace(program);
        LoadNames(place, program.settings.names);
        SetClockText(program, IDC_IN_TIME);
        RefreshShownFields(program);
        SetTrayState(program, TrayChoice::SignIn);
        AutoSignInAtStart(program);
        return TRUE;
    }
    case WM_WINDOWPOSCHANGING:
        // Signed in by itself at start-up: shown only when asked for.
        if (program.keep_hidden)
            reinterpret_cast<WINDOWPOS *>(lparam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
        return FALSE;
    case WM_DRAWITEM:
        return DrawIconButton(program.instance, dialog,
                              reinterpret_cast<const DRAWITEMSTRUCT *>(lparam))
                   ? TRUE
                   : FALSE;
    case WM_COMMAND:
        OnSignInCommand(program, dialog, LOWORD(wparam));
        return TRUE;
    case MSG_TRAY_ICON:
        if (lparam == WM_LBUTTONDOWN) ShowSignInDialog(program);
        return TRUE;
    case MSG_SOCKET_EVENT:
        OnSocketEvent(program.connection, wparam, lparam);
        return TRUE;
    case MSG_LOOKUP_DONE:
        OnLookupDone(program.connection, wparam, lparam);
        return TRUE;
    case MSG_REQUEST_ENDED:
        OnRequestEnded(program, static_cast<RequestStep>(wparam), static_cast<AutoRequest>(lparam));
        return TRUE;
    case MSG_OPTIONS_SAVED:
        RefreshNameBox(program);
        return TRUE;
    case MSG_BRING_FORWARD:
        ShowSignInDialog(program);
        return TRUE;
    case WM_TIMER:
        if (wparam == kConnectionTimer)
            OnConnectionTimer(program.connection);
        else if (wparam == kTrayRetryTimer)
            OnTrayRetryTimer(program);
        else
            return FALSE;
        return TRUE;
    case WM_DPICHANGED:
        RenewTrayIcon(program);
        InvalidateRect(dialog, nullptr, TRUE);
        return FALSE;
    case WM_DESTROY:
        DeleteTrayIcon(program);
        if (program.dialog == dialog) program.dialog = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}
