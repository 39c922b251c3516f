// Signing the member in and out by itself: the session's notifications on
// the hidden window (lock, unlock), the sign-in at start-up with its
// retries, the sign-out at the end of the session, and the tray tip that
// tells an automatic request's failure. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "client/core/auto_sign.h"
#include "client/core/request_machine.h"

struct ClientProgram;

// The tips of a failed automatic request.
extern const char kNotSignedInUnreachable[];
extern const char kNotSignedInUnknownName[];
extern const char kNotSignedOutUnreachable[];
extern const char kNotSignedOutUnknownName[];

// The options and the destination from the client's settings, and back.
void LoadAutoOptions(ClientProgram &program);
void StoreAutoOptions(ClientProgram &program, const AutoOptions &options, const char *destination);

// Registers the hidden window for the session's notifications, retrying
// every few seconds while the session service is not ready; and the
// unregistering before the window goes.
void StartSessionWatch(ClientProgram &program);
void StopSessionWatch(ClientProgram &program);

// At start-up, once the dialog is there: with AutoSignIn the sign-in goes
// and the dialog stays hidden.
void AutoSignInAtStart(ClientProgram &program);
// WM_WTSSESSION_CHANGE.
void OnSessionChange(ClientProgram &program, WPARAM change);
void OnSessionTimer(ClientProgram &program, UINT_PTR timer);

// True when the end of the session signs the member out by itself (the
// end-session query is then answered yes at once).
bool SignsOutAtEnd(const ClientProgram &program);
// WM_ENDSESSION: the sign-out, its reply waited for within the bound.
void SignOutAtEnd(ClientProgram &program);

// The verdict of an automatic request (from the connection).
void OnAutoVerdict(ClientProgram &program, AutoRequest request, RequestStep verdict);

// True for the member's own name (the one the automatic requests carry).
bool IsOwnName(const ClientProgram &program, const char *name);
// The member's own request ended (done: "0" for their own name): an
// automatic request waiting behind it goes now, unless the member's
// request already put them where it would.
void OnMemberRequestEnded(ClientProgram &program, bool done, bool signed_in);

// The session as the system tells it: locked by the session's information,
// remote by the system metric or the session's protocol.
SessionProbe &SystemSessionProbe();
