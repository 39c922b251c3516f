// One server a board: a running server holds a named mutex for its working
// folder, so that a second copy started on the same board (an autostart
// and a manual start, or two accounts on one machine) finds it and ends
// before it touches any of the board's files. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstddef>

// What a second copy shows before it ends.
constexpr char kAnotherServerText[] = "Another Tesmar is serving this board";

// The mutex's name for a working folder, without its namespace: the
// folder's full path (long names, no trailing separator, upper case) made
// into a name of fixed length.
void BoardClaimName(const char *working_dir, char *out, size_t capacity);

// Claims the board in working_dir for this process: a mutex is made in the
// machine-wide namespace ("Global\"), or in the session's ("Local\") where
// this account may not make machine-wide objects, and kept open while the
// server runs (the system lets it go when the process ends). False when
// another server holds the board. Where no mutex can be made at all the
// board is taken as claimed.
bool ClaimBoard(const char *working_dir);
