#include "client/shell/client_start.h"

#include "client/shell/client_program.h"
#include "client/shell/session_window.h"
#include "client/shell/session_sign.h"
#include "client/shell/dialogs.h"
#include "client/shell/wenlo_ids.h"

const char kSessionMutexName[] = "Local\\KVT.Wenlo";

bool ForwardToRunningClient() {
    // The running client may be starting: its window comes soon after the
    // mutex.
    for (int tries = 0; tries < 30; ++tries) {
        HWND running = FindWindowA("SIGNIN", nullptr);
        if (running) {
            DWORD process = 0;
            GetWindowThreadProcessId(running, &process);
            AllowSetForegroundWindow(process);
            return PostMessageA(running, MSG_BRING_FORWARD, 0, 0) != FALSE;
        }
        Sleep(100);
    }
    return false;
}

int RunSignInClient(ClientProgram &program) {
    if (!CreateHiddenWindow(program)) return -1;
    LoadClientSettings(program);
    LoadAutoOptions(program);
    StartSessionWatch(program);
    DialogBoxParamA(program.instance, MAKEINTRESOURCEA(IDD_SIGN_IN), nullptr, SignInDialogProc,
                    reinterpret_cast<LPARAM>(&program));
    DestroyWindow(program.hidden_window);
    program.hidden_window = nullptr;
    return 0;
}

int RunClient(ClientProgram &program) {
    HANDLE session = CreateMutexA(nullptr, FALSE, kSessionMutexName);
    if (session && GetLastError() == ERROR_ALREADY_EXISTS) {
        ForwardToRunningClient();
        CloseHandle(session);
        return 0;
    }
    int code = RunSignInClient(program);
    if (session) CloseHandle(session);
    return code;
}
