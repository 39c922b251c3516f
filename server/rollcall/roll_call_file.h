// rollcall.dat in the working folder: the roll call kept across restarts,
// replaced whole at every change. A text of a few lines that ends in a
// check of everything before it, so that a file cut short or not ours is
// told from a roll call and never taken for one.
#pragma once
#include <cstddef>
#include <string>

class FileReader;
struct RollCall;
struct ServerSettings;

// The file's bytes for the roll call.
std::string EncodeRollCall(const RollCall &roll);
// The roll call of bytes; false (out untouched) unless they are a whole
// file of ours.
bool DecodeRollCall(const std::string &bytes, RollCall &out);

enum class RollFile {
    Missing, // no file: no roll call yet
    Read,    // out holds the file's roll call
    Broken,  // there, but cut short, not ours, or not readable to its end
};
RollFile ReadRollCallFile(FileReader &reader, const char *path, RollCall &out);

// WorkingDir, the separator and name. False when it does not fit.
bool BuildWorkingPath(const ServerSettings &settings, const char *name, char *out, size_t capacity);
