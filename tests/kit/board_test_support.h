// Recorders for the board's seams, and a scratch directory for its files.
#pragma once

#include "tests/kit/doubles/alerts_recorder.h"
#include "tests/kit/doubles/fixed_clock.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDir {
  public:
    ScratchDir() {
        static unsigned serial = 0;
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("board-test-" + std::to_string(stamp) + "-" +
                            std::to_string(++serial));
            std::error_code error;
            if (std::filesystem::create_directory(path_, error)) break;
        }
    }
    ~ScratchDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::filesystem::path &path() const { return path_; }
    // A file name in the directory, as the platform spells it.
    std::string File(const char *name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

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
    std::strncpy(settings.History, "TRUE", sizeof settings.History - 1);
    settings.history_flag = true;
    return settings;
}

// Puts a whole record into a slot of the table.
inline void Put(UserTable &table, int slot, const char *name, int in_out,
                const char *destination, const char *time, const char *return_time) {
    UserRecord &record = table.slots[slot];
    ClearRecord(record);
    std::strcpy(record.name, name);
    record.in_out = static_cast<signed char>(in_out);
    std::strcpy(record.destination, destination);
    std::strcpy(record.time, time);
    std::strcpy(record.return_time, return_time);
}

// A file's bytes ("" when it cannot be read).
inline std::string ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names of the files in a directory (to see that nothing stray stays).
inline std::vector<std::string> FilesIn(const std::filesystem::path &dir) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
