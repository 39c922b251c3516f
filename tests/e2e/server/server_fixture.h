// One tesmar.exe under Wine in a prefix of its own (the shared
// TesmarServer), with its settings, data file and page in a scratch
// directory: work/board holds the files, History is on.
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
    // Closes the server's window as the close box does and waits for the
    // process to end; returns its exit status (-1 if it did not end).
    int StopServer();

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
    e2e::WinePrefix *prefix = nullptr; // tesmar's
};
