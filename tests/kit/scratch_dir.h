// A test's own directory for the files it makes: natively, under Wine and
// in the in-process suites alike.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDir {
  public:
    ScratchDir() {
        static unsigned serial = 0;
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("board-test-" + std::to_string(stamp) + "-" + std::to_string(++serial));
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
