// Recorders for the board's seams, a scratch directory for its files, the
// settings that point there, and the files' helpers.
#pragma once

#include "tests/kit/doubles/recording_alerts.h"
#include "tests/kit/doubles/fixed_clock.h"
#include "tests/kit/files.h"
#include "tests/kit/scratch_dir.h"
#include "common/file_reader.h"
#include "common/file_writer.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/page_defaults.h"

#include <cstring>
#include <string>

// Settings whose data file lives in dir and whose page is page ("" for
// none), with the default header and footer.
inline ServerSettings SettingsIn(const ScratchDir &dir, const std::string &page = "") {
    ServerSettings settings{};
    std::string working = dir.path().string();
    std::strncpy(settings.WorkingDir, working.c_str(), sizeof settings.WorkingDir - 1);
    std::strncpy(settings.HTMLFile, page.c_str(), sizeof settings.HTMLFile - 1);
    std::strncpy(settings.Header, kDefaultHeader, sizeof settings.Header - 1);
    std::strncpy(settings.Footer, kDefaultFooter, sizeof settings.Footer - 1);
    std::strncpy(settings.Port, "223", sizeof settings.Port - 1);
    settings.History = true;
    return settings;
}

// Puts a whole record into a slot of the table.
inline void Put(UserTable &table, int slot, const char *name, int in_out, const char *destination,
                const char *time, const char *return_time) {
    UserRecord &record = table.slots[slot];
    ClearRecord(record);
    std::strcpy(record.name, name);
    record.in_out = static_cast<signed char>(in_out);
    std::strcpy(record.destination, destination);
    std::strcpy(record.time, time);
    std::strcpy(record.return_time, return_time);
}

// The platform's own files, as the programs hand them in.
struct PlatformFiles {
    StandardFileReader reader;
    PlatformFileWriter writer;
};

// The data file read and saved with the platform's files.
inline BoardLoad ReadBoardFile(UserTable &table, const ServerSettings &settings) {
    StandardFileReader reader;
    return LoadBoard(table, settings, reader, nullptr);
}
inline bool WriteBoardFile(const UserTable &table, const ServerSettings &settings) {
    PlatformFileWriter writer;
    return SaveBoard(table, settings, writer);
}
