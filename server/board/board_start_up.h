// What the server does to the board's files when it starts: it clears away
// the temporary files a killed save left, then loads the board and, when
// the file is not what the server itself would have written for it, saves
// the sorted and compacted board at once.
#pragma once
#include "common/file_reader.h"
#include "common/file_writer.h"

struct ServerSettings;
struct UserTable;

// Removes the server's own left temporary files beside the data file and
// beside the page (HTMLFile, when one is set); no other file is touched.
void RemoveLeftSaves(const ServerSettings &settings);

enum class StartUpLoad {
    Ready,      // the board is loaded (or there is no file yet)
    ReadFailed, // the file is there but could not be read: the board stays
                // empty and nothing was saved
    SaveFailed, // the file needed saving and the save failed
};

// LoadBoard (through reader) and SortAndCompact; then, when the file's
// bytes differ from those of the sorted board (a free or blank line, an
// unsorted order, a line the reader cut), SaveBoard (through writer), so
// that the file holds exactly count lines in board order before any
// request reloads it. A file that cannot be read is left alone (the board
// stays as it was).
StartUpLoad LoadBoardAtStartUp(UserTable &table, const ServerSettings &settings, FileReader &reader,
                               FileWriter &writer);
