#include "server/board/server_settings.h"

#include "common/files.h"

#include <cstring>

const char kStoreFailedText[] =
    "The settings could not be saved in the registry. They hold until the program ends.";
const char kStoreFailedCaption[] = "Tesmar Options";

bool BuildDataFilePath(const ServerSettings &settings, char *out, size_t capacity) {
    static const char kFileName[] = "tesmar.dat";
    size_t dir = strnlen(settings.WorkingDir, sizeof settings.WorkingDir);
    size_t needed = dir + 1 + (sizeof kFileName - 1) + 1;
    if (capacity < needed) {
        if (capacity > 0) out[0] = '\0';
        return false;
    }
    // Nothing is inserted or removed: a directory ending in the separator
    // gives a doubled one, which both platforms accept.
    std::memcpy(out, settings.WorkingDir, dir);
    out[dir] = kPathSeparator;
    std::memcpy(out + dir + 1, kFileName, sizeof kFileName);
    return true;
}
