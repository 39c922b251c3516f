// Whole files read and written byte for byte, for tests on either side
// (natively, under Wine, and in the driver programs).
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A file's bytes; missing (by default "") when it cannot be read, so that a
// test that must tell a missing file from an empty one can.
inline std::string ReadBytes(const std::filesystem::path &path, const std::string &missing = "") {
    std::ifstream in(path, std::ios::binary);
    if (!in) return missing;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path &path, const std::string &bytes) {
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
