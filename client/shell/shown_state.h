// Where the member stands as the client shows it: the sign-in dialog's two
// radio buttons, the program's "Sign In chosen", and the notification icon
// with its tip. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

struct ClientProgram;

enum class TrayChoice { Keep, SignIn, SignOut };

// Selects the state's radio button and shows its icon and tip (Keep: the
// one chosen).
void SetTrayState(ClientProgram &program, TrayChoice choice);

// True while the dialog has Sign In chosen.
bool SignInSelected(const ClientProgram &program);
