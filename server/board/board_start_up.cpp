#include "server/board/board_start_up.h"

#include "common/files.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"

#include <cstring>
#include <string>

void RemoveLeftSaves(const ServerSettings &settings) {
    char path[sizeof settings.WorkingDir + 16];
    if (BuildDataFilePath(settings, path, sizeof path)) RemoveLeftTemporaries(path);
    char page[sizeof settings.HTMLFile];
    size_t length = strnlen(settings.HTMLFile, sizeof settings.HTMLFile - 1);
    std::memcpy(page, settings.HTMLFile, length);
    page[length] = '\0';
    if (page[0] != '\0') RemoveLeftTemporaries(page);
}

StartUpLoad LoadBoardAtStartUp(UserTable &table, const ServerSettings &settings, FileReader &reader,
                               FileWriter &writer) {
    std::string file;
    BoardLoad loaded = LoadBoard(table, settings, reader, &file);
    SortAndCompact(table);
    if (loaded == BoardLoad::Failed) return StartUpLoad::ReadFailed;
    if (loaded == BoardLoad::Missing) return StartUpLoad::Ready;
    std::string board(kBoardFileCapacity, '\0');
    size_t size = FormatBoardFile(table, &board[0], board.size());
    if (file.size() == size && std::memcmp(file.data(), board.data(), size) == 0)
        return StartUpLoad::Ready;
    return SaveBoard(table, settings, writer) ? StartUpLoad::Ready : StartUpLoad::SaveFailed;
}
