#include "server/board/board_start_up.h"

#include "common/link_time_files.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The file's bytes, up to limit and one more (enough to tell that it is
// longer than any board the server writes); false when it cannot be read.
bool ReadFirstBytes(const char *path, size_t limit, std::string &bytes) {
    FILE *file = std::fopen(path, "rb");
    if (!file) return false;
    bytes.resize(limit + 1);
    size_t got = std::fread(&bytes[0], 1, bytes.size(), file);
    bool ok = !std::ferror(file);
    std::fclose(file);
    bytes.resize(got);
    return ok;
}

} // namespace

void RemoveLeftSaves(const ServerSettings &settings) {
    char path[sizeof settings.WorkingDir + 16];
    if (BuildDataFilePath(settings, path, sizeof path)) RemoveLeftTemporaries(path);
    char page[sizeof settings.HTMLFile];
    size_t length = strnlen(settings.HTMLFile, sizeof settings.HTMLFile - 1);
    std::memcpy(page, settings.HTMLFile, length);
    page[length] = '\0';
    if (page[0] != '\0') RemoveLeftTemporaries(page);
}

int LoadBoardAtStartUp(UserTable &table, const ServerSettings &settings) {
    int loaded = LoadBoard(table, settings);
    SortAndCompact(table);
    if (!loaded) return 1;
    char path[sizeof settings.WorkingDir + 16];
    if (!BuildDataFilePath(settings, path, sizeof path)) return 1;
    static char board[kBoardFileCapacity];
    size_t size = FormatBoardFile(table, board, sizeof board);
    std::string file;
    if (!ReadFirstBytes(path, sizeof board, file)) return 1;
    if (file.size() == size && std::memcmp(file.data(), board, size) == 0) return 1;
    return SaveBoard(table, settings);
}
