#include "client/session_watch.h"

#include <wtsapi32.h>

#include <cstring>

#include "client/client_program.h"
#include "client/connection.h"
#include "client/signin_dialog.h"
#include "client/tray_icon.h"
#include "client/wenlo_ids.h"
#include "common/clock_text.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"

const char kNotSignedInUnreachable[] = "Not signed in: server not reachable";
const char kNotSignedInUnknownName[] = "Not signed in: name not on the board";
const char kNotSignedOutUnreachable[] = "Not signed out: server not reachable";
const char kNotSignedOutUnknownName[] = "Not signed out: name not on the board";

namespace {

constexpr UINT kSessionRegisterMs = 5000;
constexpr int kSessionRegisterTries = 60;

bool ReadFlag(const char *name) {
    char value[8] = "";
    ClientStore().Read(name, value, sizeof value);
    return std::strcmp(value, "TRUE") == 0;
}

FARPROC SessionFunction(const char *name) {
    static HMODULE wtsapi32 = LoadLibraryA("wtsapi32.dll");
    return wtsapi32 ? GetProcAddress(wtsapi32, name) : nullptr;
}

bool Register() {
    using Fn = BOOL(WINAPI *)(HWND, DWORD);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void *>(SessionFunction("WTSRegisterSessionNotification")));
    return fn && g_program.hidden_window && fn(g_program.hidden_window, NOTIFY_FOR_THIS_SESSION);
}

// The request fields of an automatic request: the member's own name, the
// clock's time; a sign-out with the destination and no return time.
void Send(AutoRequest request) {
    if (request == AutoRequest::None || !g_program.dialog) return;
    // A name the wire would split, or none: the board cannot know it.
    const char *name = g_program.settings.user_name;
    if (name[0] == '\0' || std::strchr(name, '-')) {
        OnAutoVerdict(request, RequestStep::UnknownName);
        return;
    }
    RequestFields &fields = g_program.request;
    std::memset(&fields, 0, sizeof fields);
    fields.signed_in = request == AutoRequest::SignIn;
    CopyCut(fields.name, g_program.settings.user_name);
    CopyCut(g_program.settings.current_name, g_program.settings.user_name);
    char now[kClockTextCapacity];
    FormatClockTime(*g_program.clock, now, sizeof now);
    if (fields.signed_in) {
        CopyCut(fields.in_time, now);
    } else {
        CopyCut(fields.out_time, now);
        CopyCut(fields.destination, g_program.auto_destination);
    }
    g_program.connection.automatic = request;
    StartConnection(g_program.dialog);
}

void ShowDone(AutoRequest request) {
    HWND dialog = g_program.dialog;
    const RequestFields &fields = g_program.request;
    if (request == AutoRequest::SignIn) {
        SetDlgItemTextA(dialog, IDC_IN_TIME, fields.in_time);
        SetTrayState(TrayChoice::SignIn);
    } else {
        SetDlgItemTextA(dialog, IDC_OUT_TIME, fields.out_time);
        SetDlgItemTextA(dialog, IDC_DESTINATION, fields.destination);
        SetDlgItemTextA(dialog, IDC_RETURN_TIME, "");
        SetTrayState(TrayChoice::SignOut);
    }
}

} // namespace

void LoadAutoOptions() {
    AutoOptions options;
    options.sign_in = ReadFlag("AutoSignIn");
    options.sign_out = ReadFlag("AutoSignOut");
    g_program.auto_signer.SetOptions(options);
    g_program.auto_destination[0] = '\0';
    ClientStore().Read("AutoSignOutDestination", g_program.auto_destination,
                       sizeof g_program.auto_destination);
}

void StoreAutoOptions(const AutoOptions &options, const char *destination) {
    g_program.auto_signer.SetOptions(options);
    CopyCut(g_program.auto_destination, destination);
    ClientStore().Write("AutoSignIn", options.sign_in ? "TRUE" : "FALSE");
    ClientStore().Write("AutoSignOut", options.sign_out ? "TRUE" : "FALSE");
    ClientStore().Write("AutoSignOutDestination", g_program.auto_destination);
}

void StartSessionWatch() {
    g_program.session_watched = Register();
    if (g_program.session_watched || !g_program.hidden_window) return;
    g_program.session_register_tries = kSessionRegisterTries;
    SetTimer(g_program.hidden_window, kSessionRegisterTimer, kSessionRegisterMs, nullptr);
}

void StopSessionWatch() {
    if (g_program.hidden_window) {
        KillTimer(g_program.hidden_window, kSessionRegisterTimer);
        KillTimer(g_program.hidden_window, kLogonRetryTimer);
    }
    if (!g_program.session_watched) return;
    g_program.session_watched = false;
    using Fn = BOOL(WINAPI *)(HWND);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void *>(SessionFunction("WTSUnRegisterSessionNotification")));
    if (fn) fn(g_program.hidden_window);
}

void AutoSignInAtStart() {
    AutoRequest request = g_program.auto_signer.At(SessionMoment::Start);
    if (request == AutoRequest::None) return;
    g_program.keep_hidden = true;
    if (g_program.dialog) ShowWindow(g_program.dialog, SW_HIDE);
    Send(request);
}

void OnSessionChange(WPARAM change) {
    if (change == WTS_SESSION_LOCK)
        Send(g_program.auto_signer.At(SessionMoment::Lock));
    else if (change == WTS_SESSION_UNLOCK)
        Send(g_program.auto_signer.At(SessionMoment::Unlock));
}

void OnSessionTimer(UINT_PTR timer) {
    HWND window = g_program.hidden_window;
    if (timer == kSessionRegisterTimer) {
        g_program.session_watched = Register();
        if (g_program.session_watched || --g_program.session_register_tries <= 0)
            KillTimer(window, kSessionRegisterTimer);
    } else if (timer == kLogonRetryTimer) {
        KillTimer(window, kLogonRetryTimer);
        Send(g_program.auto_signer.RetryDue());
    }
}

bool SignsOutAtEnd() {
    const AutoSigner &signer = g_program.auto_signer;
    return signer.Options().sign_out && !signer.Stopped() && g_program.dialog;
}

void SignOutAtEnd() {
    AutoRequest request = g_program.auto_signer.At(SessionMoment::End);
    if (request != AutoRequest::SignOut) return;
    RequestFields &fields = g_program.request;
    std::memset(&fields, 0, sizeof fields);
    fields.signed_in = false;
    CopyCut(fields.name, g_program.settings.user_name);
    FormatClockTime(*g_program.clock, fields.out_time, sizeof fields.out_time);
    CopyCut(fields.destination, g_program.auto_destination);
    RequestStep verdict = ExchangeWithin(g_program.end_session_wait_ms);
    g_program.auto_signer.Concluded(verdict == RequestStep::Done ? AutoVerdict::Done
                                    : verdict == RequestStep::UnknownName
                                        ? AutoVerdict::UnknownName
                                        : AutoVerdict::Unreachable);
}

void OnAutoVerdict(AutoRequest request, RequestStep verdict) {
    bool in = request == AutoRequest::SignIn;
    AutoVerdict outcome = verdict == RequestStep::Done          ? AutoVerdict::Done
                          : verdict == RequestStep::UnknownName ? AutoVerdict::UnknownName
                                                                : AutoVerdict::Unreachable;
    if (outcome == AutoVerdict::Done) {
        ShowDone(request);
    } else {
        const char *tip = outcome == AutoVerdict::UnknownName
                              ? (in ? kNotSignedInUnknownName : kNotSignedOutUnknownName)
                              : (in ? kNotSignedInUnreachable : kNotSignedOutUnreachable);
        ShowTrayIcon(g_program.tray.icon_id, tip);
    }
    if (g_program.auto_signer.Concluded(outcome) && g_program.hidden_window)
        SetTimer(g_program.hidden_window, kLogonRetryTimer, g_program.logon_retry_ms, nullptr);
}
