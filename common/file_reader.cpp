#include "common/file_reader.h"

#include <cerrno>

FileReader::Opened StandardFileReader::OpenFile(const char *path) {
    CloseFile();
    errno = 0;
    file_ = std::fopen(path, "rb");
    if (file_) return Open;
    return errno == ENOENT ? Missing : Refused;
}

long StandardFileReader::ReadSome(char *out, size_t size) {
    if (!file_) return -1;
    size_t got = std::fread(out, 1, size, file_);
    if (got == 0 && std::ferror(file_)) return -1;
    return static_cast<long>(got);
}

void StandardFileReader::CloseFile() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}
