#include "client/shell/session_window.h"

#include <cstring>

#include "client/shell/client_program.h"
#include "client/shell/request_exchange.h"
#include "client/shell/session_sign.h"
#include "client/shell/tray_icon.h"
#include "client/shell/wenlo_ids.h"

const wchar_t kSignOutFirst[] = L"Do you want to sign out first?";

namespace {

// Looked up at run time; a system without them holds up nothing.
class ShutdownBlockReason : public EndSessionReason {
  public:
    bool Create(HWND window, const wchar_t *reason) override {
        using Fn = BOOL(WINAPI *)(HWND, LPCWSTR);
        auto create = reinterpret_cast<Fn>(Function("ShutdownBlockReasonCreate"));
        return create && create(window, reason);
    }
    bool Destroy(HWND window) override {
        using Fn = BOOL(WINAPI *)(HWND);
        auto destroy = reinterpret_cast<Fn>(Function("ShutdownBlockReasonDestroy"));
        return destroy && destroy(window);
    }

  private:
    static void *Function(const char *name) {
        HMODULE user32 = GetModuleHandleA("user32.dll");
        return user32 ? reinterpret_cast<void *>(GetProcAddress(user32, name)) : nullptr;
    }
};

// Whether the session may end now. While Sign In is selected (the member
// may still be signed in) and the end can wait, the answer is no, at once,
// with the question as the reason Windows shows in its own list of the
// programs that hold up the log-off (with its own button to go
// regardless); the dialog comes forward for the sign-out.
BOOL AnswerEndQuery(ClientProgram &program, LPARAM flags) {
    if (flags & ENDSESSION_CLOSEAPP) return TRUE; // the Restart Manager: end quietly
    // Signing out by itself wins over the question.
    if (SignsOutAtEnd(program)) {
        DropEndSessionReason(program);
        return TRUE;
    }
    if (!program.dialog || !program.sign_in_chosen || (flags & ENDSESSION_CRITICAL)) {
        DropEndSessionReason(program);
        return TRUE;
    }
    if (!program.end_session_reason_set)
        program.end_session_reason_set =
            program.end_session_reason.Create(program.hidden_window, kSignOutFirst);
    SendMessageA(program.dialog, MSG_BRING_FORWARD, 0, 0);
    return FALSE;
}

void OnEndSession(ClientProgram &program, bool ending, LPARAM flags) {
    if (!ending) {
        // The log-off was cancelled.
        DropEndSessionReason(program);
        return;
    }
    DropEndSessionReason(program);
    // A log-off or shut-down, not a Restart Manager close (the member stays).
    if (!(flags & ENDSESSION_CLOSEAPP) && SignsOutAtEnd(program)) SignOutAtEnd(program);
    DeleteTrayIcon(program);
    EndSockets(program.connection);
    if ((flags & ENDSESSION_CLOSEAPP) && program.dialog) {
        program.exit_confirmed = true;
        EndDialog(program.dialog, 1);
    }
}

} // namespace

EndSessionReason &SystemEndSessionReason() {
    static ShutdownBlockReason reason;
    return reason;
}

LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto *create = reinterpret_cast<const CREATESTRUCTA *>(lparam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto *kept = reinterpret_cast<ClientProgram *>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!kept) return DefWindowProcA(window, message, wparam, lparam);
    ClientProgram &program = *kept;
    switch (message) {
    case WM_QUERYENDSESSION:
        return AnswerEndQuery(program, lparam);
    case WM_ENDSESSION:
        OnEndSession(program, wparam != FALSE, lparam);
        return 0;
    case MSG_BRING_FORWARD:
        // The dialog brings itself forward.
        if (program.dialog) SendMessageA(program.dialog, MSG_BRING_FORWARD, 0, 0);
        return 0;
    case WM_WTSSESSION_CHANGE:
        OnSessionChange(program, wparam);
        return 0;
    case WM_TIMER:
        OnSessionTimer(program, wparam);
        return 0;
    case WM_DESTROY:
        StopSessionWatch(program);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

bool CreateHiddenWindow(ClientProgram &program) {
    HINSTANCE instance = program.instance;
    WNDCLASSA window_class;
    std::memset(&window_class, 0, sizeof window_class);
    window_class.style = CS_OWNDC;
    window_class.lpfnWndProc = HiddenWindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    window_class.lpszClassName = "SIGNIN";
    if (!RegisterClassA(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    program.hidden_window =
        CreateWindowA("SIGNIN", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, &program);
    return program.hidden_window != nullptr;
}
