// What every in-process suite of the server starts from: the in-process base
// (scratch directory, private registry keys, message pump) and a program
// object of the test's own, made with doubles for its seams: the settings in
// memory, a clock at a fixed time of day, message boxes answered by a
// recorder. Its instance is the test program's, which holds the server's
// resources.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "server/shell/server_state.h"
#include "tests/kit/doubles/recording_alerts.h"
#include "tests/kit/doubles/fixed_clock.h"
#include "tests/kit/doubles/memory_settings_store.h"
#include "tests/wine/in_process_test.h"

class ServerProgramTest : public InProcessTest {
  protected:
    ServerProgramTest();

    // The value as the program stored it, or "<missing>".
    std::string Stored(const char *name) const;

    MemorySettingsStore store;
    // A day of its own, at noon: the daily reset, the history and the page
    // see the same time at every run.
    FixedClock clock{ClockTime{12, 0, 0, 2026, 3, 14}};
    RecordingAlerts alerts;
    ServerState server{store, clock, alerts};
};
