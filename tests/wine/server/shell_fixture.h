// What the in-process tests of the server share: the program object made
// with doubles (tests/wine/server_program.h) and its hidden main window.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/wine/server_program.h"

class ShellTest : public ServerProgramTest {
  protected:
    void SetUp() override;
    void TearDown() override;
};

// For tests that talk to the listener over a real socket: Windows Sockets
// started, and a client connected to the port the listener took.
class ServingTest : public ShellTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A client connected to the listener over the loopback address.
    SOCKET ConnectToListener();
    // What the server sent on the socket before closing it.
    static std::string ReplyOn(SOCKET client);
    // Serves the waiting connection as the main window does, its messages
    // delivered until it is accepted and closed again. False when that did
    // not happen within 10 s.
    bool Serve();
};
