// One server a board: a running native server holds an exclusive lock
// (flock) on tesmar.lock in its working folder, so that a second copy
// started on the same board finds it and ends before it touches any of
// the board's files. The system lets the lock go when the process ends,
// however it ends.
#pragma once

// What a second copy says before it ends.
constexpr char kAnotherServerText[] = "Another Tesmar is serving this board";

// Takes the lock for the rest of the process's life. False when another
// process holds it; where the lock file cannot be made at all (a folder
// this account may not write) the board is taken as claimed, as there is
// no board the server could save either.
bool ClaimBoardByLock(const char *working_dir);
