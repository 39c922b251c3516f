#include "client/client_start.h"

#include "client/client_program.h"
#include "client/end_of_session.h"
#include "client/automatic_sign.h"
#include "client/signin_dialog.h"
#include "client/wenlo_ids.h"

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

int RunSignInClient(HINSTANCE instance) {
    g_program.instance = instance;
    if (!CreateHiddenWindow(instance)) return -1;
    LoadClientSettings();
    LoadAutoOptions();
    StartSessionWatch();
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SIGN_IN), nullptr, SignInDialogProc, 0);
    DestroyWindow(g_program.hidden_window);
    g_program.hidden_window = nullptr;
    return 0;
}

int RunClient(HINSTANCE instance) {
    HANDLE session = CreateMutexA(nullptr, FALSE, kSessionMutexName);
    if (session && GetLastError() == ERROR_ALREADY_EXISTS) {
        ForwardToRunningClient();
        CloseHandle(session);
        return 0;
    }
    int code = RunSignInClient(instance);
    if (session) CloseHandle(session);
    return code;
}
