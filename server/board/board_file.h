// The data file tesmar.dat: one line a record,
// "name-flag-destination-time-return time-" ending in CR LF. The file is
// read and written in binary mode with the line ends written explicitly, so
// every build writes the same bytes.
#pragma once
#include <cstddef>
#include <string>

#include "common/file_reader.h"
#include "common/file_writer.h"
#include "server/board/user_table.h"

struct ServerSettings;

// The longest line FormatBoardFile writes: 19 + 1 + 4 ("-128") + 1 + 29 + 1
// + 9 + 1 + 29 + 1 characters and CR LF.
constexpr size_t kBoardFileLineMax = 97;
constexpr size_t kBoardFileCapacity = kMaxUsers * kBoardFileLineMax;

// What became of reading the data file.
enum class BoardLoad {
    Loaded,  // the file was read whole into the table
    Missing, // there is no data file: the table stays as it was
    Failed,  // the file is there but could not be opened or read to its
             // end: the table stays as it was
};

// Reads the data file through reader into the 150 slots (record line n
// into slot n); count is not touched. Only a file read to its end changes
// the table. first_bytes (may be null) gets the file's bytes: all of them
// when there are at most kBoardFileCapacity, else more than that (enough
// to tell that the file is no board the server writes).
BoardLoad LoadBoard(UserTable &table, const ServerSettings &settings, FileReader &reader,
                    std::string *first_bytes);

// Reads data file bytes already in memory into the table (what LoadBoard
// does after opening the file). Any bytes are safe: lines end in CR LF or a
// bare LF, a last line without a line end is loaded, a line is cut after
// 254 characters (its fields to their capacities) and its rest skipped,
// lines after the 150th are ignored, a line without any field (empty, or
// dashes only) takes no slot, missing fields load empty, the flag
// keeps the low eight bits of its number, a name of one space loads as a
// free slot. All 150 slots are cleared first; count is not touched.
void LoadBoardFromBytes(UserTable &table, const char *bytes, size_t size);

// Writes slots 0 to count - 1 to the data file, replacing it durably
// through writer. True on success, false when the file could not be
// replaced (the old file is then whole).
bool SaveBoard(const UserTable &table, const ServerSettings &settings, FileWriter &writer);

// The data file's bytes for the table, written to out from its start;
// returns their length. Only whole lines are written; kBoardFileCapacity
// holds any table.
size_t FormatBoardFile(const UserTable &table, char *out, size_t capacity);
