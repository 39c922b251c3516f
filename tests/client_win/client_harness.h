// What the in-process client tests share: a recorder in place of the
// message boxes, a fixed clock, the sign-in dialog created modeless with
// the program's own procedure, and a message pump with a deadline.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>

#include "tests/doubles/alerts_recorder.h"
#include "tests/doubles/fixed_clock.h"

extern AlertsRecorder g_recorder;
extern FixedClock g_fixed_clock;

// Puts the recorder and the clock in place, empties the client's state and
// settings in memory (not in the registry).
void ResetClient();

// Creates the sign-in dialog (modeless) with the program's procedure.
HWND OpenSignInDialog();
void CloseSignInDialog();

// Dispatches messages until done() or the deadline; returns done().
bool PumpUntil(const std::function<bool()> &done, int timeout_ms);
// Dispatches messages for a while.
void PumpFor(int ms);

std::string DialogText(HWND dialog, int control);

// The client's registry key in the shared prefix: kept before the tests
// and put back after them.
void SaveClientKey();
void RestoreClientKey();
void DeleteClientKey();
