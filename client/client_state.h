// The client program's one instance of everything: its settings, its name
// list, its windows and the platform seams. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "client/name_list.h"
#include "common/protocol.h"

class Alerts;
class Clock;

struct ClientSettings {
    char user_name[20];    // the member's own name
    char server[80];       // host name or dotted address
    char port[12];         // decimal text
    char names[kNamesTextCapacity];
    char current_name[20]; // the name the next request is sent for
};

extern HINSTANCE g_instance;
extern HWND g_dialog;        // the sign-in dialog
extern HWND g_hidden_window; // answers the log-off query
extern ClientSettings g_client;
extern NameList g_names;
extern RequestFields g_request;
// Every message box of the client goes through here (tests put a recorder
// in its place), and every time text comes from this clock.
extern Alerts *g_alerts;
extern Clock *g_clock;

// Start-up: the logon name, then the settings from the client's key; a
// first run (no key) shows "Please set your options!".
void LoadClientSettings();

// The name list as it works on the sign-in dialog's name box and the
// client's settings key.
NamePlace ClientNamePlace();
