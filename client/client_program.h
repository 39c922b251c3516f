// The client program's one object: its settings, its name list, the request
// under way, its windows, its tray icon and the platform seams. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "client/auto_sign.h"
#include "client/name_list.h"
#include "client/request_machine.h"
#include "common/protocol.h"

class Alerts;
class Clock;
class TrayShell;
class EndSessionReason;

struct ClientSettings {
    char user_name[20]; // the member's own name
    char server[80];    // host name or dotted address
    char port[12];      // decimal text
    char names[kNamesTextCapacity];
    char current_name[20]; // the name the next request is sent for
};

// The request under way: its steps, its look-up and its socket.
struct ClientConnection {
    RequestMachine machine;
    SOCKET socket = INVALID_SOCKET;
    HWND window = nullptr;   // receives the socket, look-up and timer messages
    HANDLE lookup = nullptr; // the asynchronous look-up's task, while it runs
    // The look-up's result; it must outlive the look-up.
    char host_buffer[MAXGETHOSTSTRUCT] = {};
    sockaddr_in server_address = {};
    int send_error = 0; // of a failed send
    // The kind of an automatic request under way, set when it starts (None
    // for the member's own).
    AutoRequest automatic = AutoRequest::None;
};

// What the notification icon was last given.
struct TrayRecord {
    bool added = false;
    // The last add was refused: the shell may have taken it all the same
    // after its wait ran out, so a modify is tried before the next add.
    bool add_failed = false;
    int icon_id = 0; // 1018 (in), 1031 (out), 0 before the first state
    char tip[64] = "";
    int retries_left = 0; // adds still to try after a failed one
};

struct ClientProgram {
    HINSTANCE instance = nullptr;
    HWND dialog = nullptr;        // the sign-in dialog
    HWND hidden_window = nullptr; // answers the log-off query
    ClientSettings settings = {};
    NameList names = {};
    RequestFields request = {};
    ClientConnection connection;
    TrayRecord tray;
    bool exit_confirmed = false; // set by Exit (Yes) when the dialog is ended
    // The sign-in dialog has Sign In chosen (kept by SetTrayState); the
    // end of the session asks it.
    bool sign_in_chosen = false;
    // How long a request may take from OK to its reply.
    UINT connection_wait_ms = 10000;
    // Every message box of the client goes through here (tests put a
    // recorder in its place), and every time text comes from this clock.
    Alerts *alerts = nullptr;
    Clock *clock = nullptr;
    TrayShell *tray_shell = nullptr; // the notification area
    EndSessionReason *end_session_reason = nullptr;
    SessionProbe *session_probe = nullptr; // locked, remote; the system's when null
    bool end_session_reason_set = false; // a log-off is being held up
    // Signing in and out by itself: the member's options and where they
    // stand, the destination of an automatic sign-out.
    AutoSigner auto_signer;
    char auto_destination[30] = "";
    bool session_watched = false; // registered for the session's notifications
    int session_register_tries = 0;
    bool keep_hidden = false; // the dialog stays hidden until it is asked for
    UINT logon_retry_ms = 60000;
    UINT end_session_wait_ms = 3000;
};

// The one client of this process; tests reset it through ResetClientProgram.
extern ClientProgram g_program;

// Takes the reason that holds up a log-off away once it no longer holds.
void DropEndSessionReason();

// Puts the client back to its state before start-up: no windows, empty
// settings (a request under way is ended first, by EndConnection); the seams (alerts, clock, tray shell, end-session
// reason, session probe) are kept.
void ResetClientProgram();

class SettingsStore;

// The client's settings: the member's values (HKEY_CURRENT_USER) over the
// machine's (HKEY_LOCAL_MACHINE), written for the member.
SettingsStore &ClientStore();
// A failed write of the settings is told again (once).
void RearmSettingsFailureMessage();

// Start-up: the logon name, then the settings. Until Server is found in
// either place, "Please set your options!" is shown and the port is 223
// unless one is set. Wherever the settings come from, an empty or missing
// user name is the logon name.
void LoadClientSettings();

// The name list as it works on the sign-in dialog's name box and the
// client's settings key.
NamePlace ClientNamePlace();
