// A scratch folder for the fuzz targets' files, on tmpfs where there is
// one (so that replacing a file costs no disk flush), removed at exit.
#pragma once

#include "server/board/server_settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

inline const std::string &FuzzBoardDir() {
    static const std::string dir = [] {
        std::string base = access("/dev/shm", W_OK) == 0
                               ? "/dev/shm"
                               : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/board-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0])) {
            std::perror("mkdtemp");
            std::abort();
        }
        static std::string made;
        made = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return pattern;
    }();
    return dir;
}

// Writes the bytes to path with plain writes (no flush to the disk).
inline void PutFile(const std::string &path, const void *bytes, size_t size) {
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(bytes, 1, size, file) != size) ||
        std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

// Stops the run with a message: libFuzzer reports the input as a crash.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
