// What the in-process tests of the server share: a scratch directory, the
// program's state reset, a hidden main window, a recorder for the message
// boxes.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/doubles/alerts_recorder.h"

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A fresh directory of this test's own (Windows path, no trailing
    // backslash).
    std::string MakeDirectory(const std::string &name);
    static std::string ReadFile(const std::string &path);
    static void WriteFile(const std::string &path, const std::string &bytes);
    static bool Exists(const std::string &path);

    // Delivers the window messages waiting for this thread.
    static void PumpMessages();

    AlertsRecorder alerts;
    std::string scratch;
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
