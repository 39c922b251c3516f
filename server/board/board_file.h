// The data file tesmar.dat: one line a record,
// "name-flag-destination-time-return time-" ending in CR LF.
#pragma once
#include <cstddef>

struct UserTable;
struct ServerSettings;

// Reads the data file into the 150 slots (line n into slot n); count is not
// touched. When the file cannot be opened the table stays as it was and 0
// is returned; otherwise 1.
int LoadBoard(UserTable &table, const ServerSettings &settings);

// Reads data file bytes already in memory into the table (what LoadBoard
// does after opening the file).
void LoadBoardFromBytes(UserTable &table, const char *bytes, size_t size);

// Writes slots 0 to count - 1 to the data file, replacing it durably.
// Returns 1 on success, 0 when the file could not be replaced (the old file
// is then whole).
int SaveBoard(const UserTable &table, const ServerSettings &settings);

// The data file's bytes for the table; returns the length written into out
// (capacity must hold count lines of at most 96 bytes each).
size_t FormatBoardFile(const UserTable &table, char *out, size_t capacity);
