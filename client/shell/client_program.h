// The client program's one object: its settings, its name list, the request
// under way, its windows, its tray icon and the seams it runs on (clock,
// settings store, message boxes, notification area, end-session reason,
// session probe), handed in when it is made. WinMain makes it; the sign-in
// dialog, the hidden window and every other dialog keep a pointer to it and
// hand it on to whatever they call. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "client/core/auto_sign.h"
#include "client/core/name_list.h"
#include "client/shell/request_exchange.h"
#include "client/core/request_machine.h"
#include "common/protocol.h"

class Alerts;
class Clock;
class EndSessionReason;
class SettingsStore;
class TrayShell;

struct ClientSettings {
    char user_name[20]; // the member's own name
    char server[80];    // host name or dotted address
    char port[12];      // decimal text
    char names[kNamesTextCapacity];
    char current_name[20]; // the name the next request is sent for
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

// The sign-in dialog's name box (a drop-down combo box), while the dialog
// is there. Refilling it empties its edit field; the text the member had
// there is put back.
class DialogNameBox : public NameBox {
  public:
    explicit DialogNameBox(const HWND &dialog) : dialog_(dialog) {}
    void Clear() override;
    void Add(const char *name) override;
    void Finish() override;

  private:
    const HWND &dialog_;
    char kept_[256] = "";
};

// The Names text in the client's settings and in the settings store.
class StoredNames : public NameStore {
  public:
    StoredNames(ClientSettings &settings, SettingsStore &store)
        : settings_(settings), store_(store) {}
    void WriteNames(const char *text) override;

  private:
    ClientSettings &settings_;
    SettingsStore &store_;
};

struct ClientProgram {
    // The settings store is the member's values over the machine's in
    // wenlo.exe; its failed writes are told through the same alerts.
    ClientProgram(HINSTANCE instance, Clock &clock, SettingsStore &store, Alerts &alerts,
                  TrayShell &tray_shell, EndSessionReason &end_session_reason,
                  SessionProbe &session_probe)
        : clock(clock), store(store), alerts(alerts), tray_shell(tray_shell),
          end_session_reason(end_session_reason), session_probe(session_probe), instance(instance),
          connection(alerts) {}
    ClientProgram(const ClientProgram &) = delete;
    ClientProgram &operator=(const ClientProgram &) = delete;

    // Every time text comes from this clock, every value of the settings
    // from this store and every message box goes through these alerts.
    Clock &clock;
    SettingsStore &store;
    Alerts &alerts;
    TrayShell &tray_shell; // the notification area
    EndSessionReason &end_session_reason;
    SessionProbe &session_probe; // locked, remote

    HINSTANCE instance;
    HWND dialog = nullptr;        // the sign-in dialog
    HWND hidden_window = nullptr; // answers the log-off query
    ClientSettings settings = {};
    NameList names = {};
    DialogNameBox name_box{dialog};
    StoredNames name_store{settings, store};
    RequestFields request = {};
    ClientConnection connection;
    TrayRecord tray;
    bool exit_confirmed = false; // set by Exit (Yes) when the dialog is ended
    // The sign-in dialog has Sign In chosen (kept by SetTrayState); the
    // end of the session asks it.
    bool sign_in_chosen = false;
    // How long a request may take from OK to its reply.
    UINT connection_wait_ms = 10000;
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

// Takes the reason that holds up a log-off away once it no longer holds.
void DropEndSessionReason(ClientProgram &program);

// Starts the request of the program's request fields against its server
// and port on the sign-in dialog: the member's own (None) or an automatic
// one. The verdict comes to the dialog as MSG_REQUEST_ENDED.
void StartRequest(ClientProgram &program, AutoRequest automatic);
// The same request as one exchange bounded by wait_ms, for the end of the
// session.
RequestStep ExchangeRequestWithin(ClientProgram &program, UINT wait_ms);

// Start-up: the logon name, then the settings. Until Server is found in
// the store, "Please set your options!" is shown and the port is 223
// unless one is set. Wherever the settings come from, an empty or missing
// user name is the logon name.
void LoadClientSettings(ClientProgram &program);

// The name list as it works on the sign-in dialog's name box and the
// client's settings.
NamePlace ClientNamePlace(ClientProgram &program);
