// One server of the kind under test (the shared TesmarServer): tesmar.exe
// under Wine in a prefix of its own, or the native tesmar (TESMAR_KIND=
// native), with its settings, data file and page in a scratch directory:
// work/board holds the files, History is on.
#pragma once
#include <gtest/gtest.h>
#include <sys/types.h>

#include <memory>
#include <string>

#include "tests/kit/tesmar_server.h"
#include "tests/kit/wine_session.h"

class ServerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the server on the board (data file bytes) and waits until it
    // accepts connections.
    void StartServer(const std::string &board);
    // Stops the server as the close box (or the service manager) does and
    // waits for the process to end; returns its exit status (-1 if it did
    // not end).
    int StopServer();
    // Stores one more setting of the server (before it starts).
    void SetSetting(const std::string &name, const std::string &value) {
        tesmar->SetSetting(name, value);
    }
    bool Native() const { return tesmar->kind() == e2e::ServerKind::Native; }

    std::string DataFile() const { return tesmar->DataFile(); }
    std::string PageFile() const { return tesmar->page(); }
    std::string Board() const { return ReadBytes(DataFile()); }

    // The page the server must have written for the data file bytes: the
    // same bytes for one of the seconds between since_ms and now.
    ::testing::AssertionResult PageShows(const std::string &board, long long since_s);

    // Set before SetUp (in a constructor): false leaves the prefix without
    // any settings, as on a first run.
    bool preset_settings = true;

    std::unique_ptr<e2e::TesmarServer> tesmar;
    std::string work;
    int port = 0;
    pid_t server = -1;
    e2e::WinePrefix *prefix = nullptr; // tesmar's (Wine only)
};
