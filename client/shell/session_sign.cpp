#include "client/shell/session_sign.h"

#include <versionhelpers.h>
#include <wtsapi32.h>

#include <cstring>

#include "client/shell/client_program.h"
#include "client/shell/request_exchange.h"
#include "client/shell/shown_state.h"
#include "client/shell/tray_icon.h"
#include "client/shell/wenlo_ids.h"
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

bool ReadFlag(SettingsStore &store, const char *name) {
    char value[8] = "";
    store.Read(name, value, sizeof value);
    return std::strcmp(value, "TRUE") == 0;
}

FARPROC SessionFunction(const char *name) {
    static HMODULE wtsapi32 = LoadLibraryA("wtsapi32.dll");
    return wtsapi32 ? GetProcAddress(wtsapi32, name) : nullptr;
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
        bool locked =
            bytes >= sizeof(SessionInfoEx) && info->level == 1 && info->level1.flags == lock_flag;
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

bool Register(HWND window) {
    using Fn = BOOL(WINAPI *)(HWND, DWORD);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void *>(SessionFunction("WTSRegisterSessionNotification")));
    return fn && window && fn(window, NOTIFY_FOR_THIS_SESSION);
}

// The request fields of an automatic request: the member's own name, the
// clock's time; a sign-out with the destination and no return time.
void Send(ClientProgram &program, AutoRequest request) {
    if (request == AutoRequest::None || !program.dialog) return;
    // The member's own request is never given up for an automatic one.
    if (MemberRequestOpen(program.connection)) {
        program.auto_signer.Defer(request);
        return;
    }
    // A name the wire would split, or none: the board cannot know it.
    const char *name = program.settings.user_name;
    if (name[0] == '\0' || std::strchr(name, '-')) {
        OnAutoVerdict(program, request, RequestStep::UnknownName);
        return;
    }
    RequestFields &fields = program.request;
    std::memset(&fields, 0, sizeof fields);
    fields.signed_in = request == AutoRequest::SignIn;
    CopyCut(fields.name, program.settings.user_name);
    CopyCut(program.settings.current_name, program.settings.user_name);
    char now[kClockTextCapacity];
    FormatClockTime(program.clock, now, sizeof now);
    if (fields.signed_in) {
        CopyCut(fields.in_time, now);
    } else {
        CopyCut(fields.out_time, now);
        CopyCut(fields.destination, program.auto_destination);
    }
    StartRequest(program, request);
}

void ShowDone(ClientProgram &program, AutoRequest request) {
    HWND dialog = program.dialog;
    const RequestFields &fields = program.request;
    if (request == AutoRequest::SignIn) {
        SetDlgItemTextA(dialog, IDC_IN_TIME, fields.in_time);
        SetTrayState(program, TrayChoice::SignIn);
    } else {
        SetDlgItemTextA(dialog, IDC_OUT_TIME, fields.out_time);
        SetDlgItemTextA(dialog, IDC_DESTINATION, fields.destination);
        SetDlgItemTextA(dialog, IDC_RETURN_TIME, "");
        SetTrayState(program, TrayChoice::SignOut);
    }
}

} // namespace

void LoadAutoOptions(ClientProgram &program) {
    AutoOptions options;
    options.sign_in = ReadFlag(program.store, "AutoSignIn");
    options.sign_out = ReadFlag(program.store, "AutoSignOut");
    program.auto_signer.SetOptions(options);
    program.auto_destination[0] = '\0';
    program.store.Read("AutoSignOutDestination", program.auto_destination,
                       sizeof program.auto_destination);
}

void StoreAutoOptions(ClientProgram &program, const AutoOptions &options, const char *destination) {
    program.auto_signer.SetOptions(options);
    CopyCut(program.auto_destination, destination);
    program.store.Write("AutoSignIn", options.sign_in ? "TRUE" : "FALSE");
    program.store.Write("AutoSignOut", options.sign_out ? "TRUE" : "FALSE");
    program.store.Write("AutoSignOutDestination", program.auto_destination);
}

void StartSessionWatch(ClientProgram &program) {
    program.session_watched = Register(program.hidden_window);
    if (program.session_watched || !program.hidden_window) return;
    program.session_register_tries = kSessionRegisterTries;
    SetTimer(program.hidden_window, kSessionRegisterTimer, kSessionRegisterMs, nullptr);
}

void StopSessionWatch(ClientProgram &program) {
    if (program.hidden_window) {
        KillTimer(program.hidden_window, kSessionRegisterTimer);
        KillTimer(program.hidden_window, kLogonRetryTimer);
    }
    if (!program.session_watched) return;
    program.session_watched = false;
    using Fn = BOOL(WINAPI *)(HWND);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void *>(SessionFunction("WTSUnRegisterSessionNotification")));
    if (fn) fn(program.hidden_window);
}

SessionProbe &SystemSessionProbe() {
    static WtsSessionProbe probe;
    return probe;
}

bool IsOwnName(const ClientProgram &program, const char *name) {
    return name[0] != '\0' && std::strcmp(name, program.settings.user_name) == 0;
}

void OnMemberRequestEnded(ClientProgram &program, bool done, bool signed_in) {
    Send(program, program.auto_signer.MemberRequestEnded(done, signed_in));
}

void AutoSignInAtStart(ClientProgram &program) {
    AutoSigner &signer = program.auto_signer;
    AutoRequest request = signer.At(SessionMoment::Start, program.session_probe);
    // Waiting for the member to unlock is signing in by itself too.
    if (request == AutoRequest::None && !signer.WaitingForUnlock()) return;
    program.keep_hidden = true;
    if (program.dialog) ShowWindow(program.dialog, SW_HIDE);
    Send(program, request);
}

void OnSessionChange(ClientProgram &program, WPARAM change) {
    if (change == WTS_SESSION_LOCK)
        Send(program, program.auto_signer.At(SessionMoment::Lock, program.session_probe));
    else if (change == WTS_SESSION_UNLOCK)
        Send(program, program.auto_signer.At(SessionMoment::Unlock, program.session_probe));
}

void OnSessionTimer(ClientProgram &program, UINT_PTR timer) {
    HWND window = program.hidden_window;
    if (timer == kSessionRegisterTimer) {
        program.session_watched = Register(window);
        if (program.session_watched || --program.session_register_tries <= 0)
            KillTimer(window, kSessionRegisterTimer);
    } else if (timer == kLogonRetryTimer) {
        KillTimer(window, kLogonRetryTimer);
        Send(program, program.auto_signer.RetryDue());
    }
}

bool SignsOutAtEnd(const ClientProgram &program) {
    const AutoSigner &signer = program.auto_signer;
    return signer.Options().sign_out && !signer.Stopped() && signer.Board() == BoardState::In &&
           program.dialog;
}

void SignOutAtEnd(ClientProgram &program) {
    DWORD deadline = GetTickCount() + program.end_session_wait_ms;
    AutoSigner &signer = program.auto_signer;
    // The member's own request still under way goes first, within the
    // bound: the automatic sign-out is not sent once it put them out.
    if (MemberRequestOpen(program.connection)) {
        const RequestFields &mine = program.request;
        if (ExchangeRequestWithin(program, program.end_session_wait_ms) == RequestStep::Done &&
            IsOwnName(program, mine.name))
            signer.Confirmed(mine.signed_in);
    }
    AutoRequest request = signer.At(SessionMoment::End, program.session_probe);
    if (request != AutoRequest::SignOut) return;
    DWORD now = GetTickCount();
    UINT left = static_cast<int>(deadline - now) > 0 ? deadline - now : 0;
    RequestFields &fields = program.request;
    std::memset(&fields, 0, sizeof fields);
    fields.signed_in = false;
    CopyCut(fields.name, program.settings.user_name);
    FormatClockTime(program.clock, fields.out_time, sizeof fields.out_time);
    CopyCut(fields.destination, program.auto_destination);
    RequestStep verdict = ExchangeRequestWithin(program, left);
    if (verdict == RequestStep::Done) signer.Confirmed(false);
    signer.Concluded(verdict == RequestStep::Done          ? AutoVerdict::Done
                     : verdict == RequestStep::UnknownName ? AutoVerdict::UnknownName
                                                           : AutoVerdict::Unreachable);
}

void OnAutoVerdict(ClientProgram &program, AutoRequest request, RequestStep verdict) {
    bool in = request == AutoRequest::SignIn;
    AutoVerdict outcome = verdict == RequestStep::Done          ? AutoVerdict::Done
                          : verdict == RequestStep::UnknownName ? AutoVerdict::UnknownName
                                                                : AutoVerdict::Unreachable;
    if (outcome == AutoVerdict::Done) {
        program.auto_signer.Confirmed(in);
        ShowDone(program, request);
    } else {
        const char *tip = outcome == AutoVerdict::UnknownName
                              ? (in ? kNotSignedInUnknownName : kNotSignedOutUnknownName)
                              : (in ? kNotSignedInUnreachable : kNotSignedOutUnreachable);
        ShowTrayIcon(program, program.tray.icon_id, tip);
    }
    if (program.auto_signer.Concluded(outcome) && program.hidden_window)
        SetTimer(program.hidden_window, kLogonRetryTimer, program.logon_retry_ms, nullptr);
}
