// What the in-process tests of the server share: the in-process base (scratch
// directory, private registry keys, message pump), the program's state
// reset, a hidden main window, a recorder for the message boxes.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/kit/doubles/alerts_recorder.h"
#include "tests/wine/in_process_test.h"

class ShellTest : public InProcessTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    AlertsRecorder alerts;
};

// For tests that talk to the listener over a real socket: Windows Sockets
// started, and a client connected to the port the listener took.
class ServingTest : public ShellTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A client connected to the listener over the loopback address.
    static SOCKET ConnectToListener();
    // What the server sent on the socket before closing it.
    static std::string ReplyOn(SOCKET client);
    // Serves the waiting connection as the main window does, its messages
    // delivered until it is accepted and closed again. False when that did
    // not happen within 10 s.
    static bool Serve();
};
