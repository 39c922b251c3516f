// What every dialog test starts from: a board in a fresh directory with a
// page file, the server's settings pointing there, message boxes answered
// by a recorder, and HKEY_LOCAL_MACHINE redirected to a private key, so
// that the settings the dialogs store land where only this test sees them.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/doubles/alerts_recorder.h"

class DialogTest : public ::testing::Test {
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
    // Makes the private store refuse writes (as for a member who may not
    // write under HKEY_LOCAL_MACHINE).
    void MakeStoreReadOnly();

    AlertsRecorder alerts;
    std::string dir;

  private:
    void Redirect(REGSAM access);
    void Unredirect();
    Alerts *saved_alerts_ = nullptr;
    std::string sandbox_;
    HKEY redirected_ = nullptr;
};

std::string ReadWholeFile(const std::string &path);
