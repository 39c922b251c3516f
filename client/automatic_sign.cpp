#include "client/automatic_sign.h"

#include <versionhelpers.h>
#include <wtsapi32.h>

#include <cstring>

#include "client/client_program.h"
#include "client/request_exchange.h"
#include "client/shown_state.h"
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

SessionProbe &Probe() {
    return g_program.session_probe ? *g_program.session_probe : SystemSessionProbe();
}

// The session's information as the system gives it (WTSINFOEXA, level 1):
// only the fields up to the flags are read. Windows 7 and Server 2008 R2
// report the two lock flags the other way round.
constexpr int kSessionInfoEx = 25; // WTSSessionInfoEx
constexpr LONG kSessionStateLock = 0;
constexpr LONG kSessionStateUnlock = 1;
struct SessionInfoLevel1Head {
    ULONG session_id;
    LONG state;
    LONG flags;
};
struct SessionInfoEx {
    DWORD level;
    alignas(8) SessionInfoLevel1Head level1;
};

class WtsSessionProbe : public SessionProbe {
  public:
    bool Locked() override {
        LPSTR buffer = nullptr;
        DWORD bytes = 0;
        if (!Query(kSessionInfoEx, &buffer, &bytes)) return false;
        const auto *info = reinterpret_cast<const SessionInfoEx *>(buffer);
        LONG lock_flag = IsWindows8OrGreater() ? kSessionStateLock : kSessionStateUnlock;
        bool locked = bytes >= sizeof(SessionInfoEx) && info->level == 1 &&
                      info->level1.flags == lock_flag;
        Free(buffer);
        return locked;
    }
    bool Remote() override {
        if (GetSystemMetrics(SM_REMOTESESSION)) return true;
        LPSTR buffer = nullptr;
        DWORD bytes = 0;
        if (!Query(WTSClientProtocolType, &buffer, &bytes)) return false;
        // 0 is the console; 1 and 2 are remote protocols.
        bool remote = bytes >= sizeof(USHORT) && *reinterpret_cast<const USHORT *>(buffer) != 0;
        Free(buffer);
        return remote;
    }

  private:
    static bool Query(int info_class, LPSTR *buffer, DWORD *bytes) {
        using Fn = BOOL(WINAPI *)(HANDLE, DWORD, WTS_INFO_CLASS, LPSTR *, DWORD *);
        auto fn = reinterpret_cast<Fn>(
            reinterpret_cast<void *>(SessionFunction("WTSQuerySessionInformationA")));
        if (!fn || !fn(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION,
                       static_cast<WTS_INFO_CLASS>(info_class), buffer, bytes))
            return false;
        return *buffer != nullptr;
    }
    static void Free(LPSTR buffer) {
        using Fn = void(WINAPI *)(PVOID);
        auto fn = reinterpret_cast<Fn>(reinterpret_cast<void *>(SessionFunction("WTSFreeMemory")));
        if (fn) fn(buffer);
    }
};

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
    // The member's own request is never given up for an automatic one.
    if (MemberRequestOpen()) {
        g_program.auto_signer.Defer(request);
        return;
    }
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
    StartConnection(g_program.dialog, request);
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

SessionProbe &SystemSessionProbe() {
    static WtsSessionProbe probe;
    return probe;
}

bool IsOwnName(const char *name) {
    return name[0] != '\0' && std::strcmp(name, g_program.settings.user_name) == 0;
}

void OnMemberRequestEnded(bool done, bool signed_in) {
    Send(g_program.auto_signer.MemberRequestEnded(done, signed_in));
}

void AutoSignInAtStart() {
    AutoSigner &signer = g_program.auto_signer;
    AutoRequest request = signer.At(SessionMoment::Start, Probe());
    // Waiting for the member to unlock is signing in by itself too.
    if (request == AutoRequest::None && !signer.WaitingForUnlock()) return;
    g_program.keep_hidden = true;
    if (g_program.dialog) ShowWindow(g_program.dialog, SW_HIDE);
    Send(request);
}

void OnSessionChange(WPARAM change) {
    if (change == WTS_SESSION_LOCK)
        Send(g_program.auto_signer.At(SessionMoment::Lock, Probe()));
    else if (change == WTS_SESSION_UNLOCK)
        Send(g_program.auto_signer.At(SessionMoment::Unlock, Probe()));
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
    return signer.Options().sign_out && !signer.Stopped() && signer.Board() == BoardState::In &&
           g_program.dialog;
}

void SignOutAtEnd() {
    DWORD deadline = GetTickCount() + g_program.end_session_wait_ms;
    AutoSigner &signer = g_program.auto_signer;
    // The member's own request still under way goes first, within the
    // bound: the automatic sign-out is not sent once it put them out.
    if (MemberRequestOpen()) {
        const RequestFields &mine = g_program.request;
        if (ExchangeWithin(g_program.end_session_wait_ms) == RequestStep::Done &&
            IsOwnName(mine.name))
            signer.Confirmed(mine.signed_in);
    }
    AutoRequest request = signer.At(SessionMoment::End, Probe());
    if (request != AutoRequest::SignOut) return;
    DWORD now = GetTickCount();
    UINT left = static_cast<int>(deadline - now) > 0 ? deadline - now : 0;
    RequestFields &fields = g_program.request;
    std::memset(&fields, 0, sizeof fields);
    fields.signed_in = false;
    CopyCut(fields.name, g_program.settings.user_name);
    FormatClockTime(*g_program.clock, fields.out_time, sizeof fields.out_time);
    CopyCut(fields.destination, g_program.auto_destination);
    RequestStep verdict = ExchangeWithin(left);
    if (verdict == RequestStep::Done) signer.Confirmed(false);
    signer.Concluded(verdict == RequestStep::Done ? AutoVerdict::Done
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
        g_program.auto_signer.Confirmed(in);
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
