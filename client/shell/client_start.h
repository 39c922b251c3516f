// The start of wenlo.exe: one client a logon session (a second start brings
// the running one's dialog forward and ends), then the hidden window, the
// settings and the sign-in dialog until Exit. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

struct ClientProgram;

// Held by the running client, in the session's own namespace.
extern const char kSessionMutexName[];

// Runs the client program (made with its seams); returns its exit code.
int RunClient(ClientProgram &program);

// The client without the claim on the session: the hidden window, the
// settings, the sign-in dialog until Exit.
int RunSignInClient(ClientProgram &program);

// Lets the running client of the session take the foreground and asks it
// to bring its dialog forward; false when no running client was found
// within a few seconds.
bool ForwardToRunningClient();
