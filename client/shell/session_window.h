// The client's hidden window: it answers the end of the session (log-off,
// shut-down, a Restart Manager close) and the call of a second start in
// the same session. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "client/shell/end_session_reason.h"

struct ClientProgram;

// The system's reason (looked up at run time; a system without it holds
// up nothing).
EndSessionReason &SystemEndSessionReason();

// The question the reason asks.
extern const wchar_t kSignOutFirst[];

// The program comes in the creation's parameter and is kept in the
// window's user data.
LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Registers the "SIGNIN" class and creates the program's hidden window;
// false on failure.
bool CreateHiddenWindow(ClientProgram &program);
