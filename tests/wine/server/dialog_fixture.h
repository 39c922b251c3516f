// What every dialog test starts from: the in-process base (its scratch
// directory and private registry keys, so that the settings the dialogs
// store land where only this test sees them), a board there with a page
// file, the server's settings pointing there, message boxes answered by a
// recorder.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/kit/doubles/alerts_recorder.h"
#include "tests/wine/in_process_test.h"

class DialogTest : public InProcessTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Puts users on the board and into the data file (and the page).
    void SeedBoard(const std::vector<std::string> &names);
    std::vector<std::string> BoardNames() const;

    std::string DataFile() const;
    std::string Page() const;

    // The value as the dialogs stored it, or "<missing>".
    std::string Stored(const char *name) const;
    void MakeStoreReadOnly() { MakeMachineStoreReadOnly(); }

    AlertsRecorder alerts;
    std::string dir;

  private:
    Alerts *saved_alerts_ = nullptr;
};

std::string ReadWholeFile(const std::string &path);
