// What every dialog test starts from: the program object made with doubles
// (tests/wine/server_program.h: the settings the dialogs store land in
// memory, message boxes are answered by a recorder), a board in the scratch
// directory with a page file, the server's settings pointing there.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/wine/server_program.h"

class DialogTest : public ServerProgramTest {
  protected:
    void SetUp() override;

    // Puts users on the board and into the data file (and the page).
    void SeedBoard(const std::vector<std::string> &names);
    std::vector<std::string> BoardNames() const;

    // The files' bytes, "<missing>" when there is none: a missing file
    // must not pass for an empty one.
    std::string DataFile() const;
    std::string Page() const;

    // Makes the store refuse writes (as the registry does for a member who
    // may not write under HKEY_LOCAL_MACHINE).
    void MakeStoreReadOnly() { store.writes_fail = true; }

    std::string dir;
};
