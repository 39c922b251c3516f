#include "server/board/file_reader.h"

#include <cerrno>
#include <cstdio>

namespace {

class StandardReader : public FileReader {
  public:
    Opened OpenFile(const char *path) override {
        errno = 0;
        file_ = std::fopen(path, "rb");
        if (file_) return Open;
        return errno == ENOENT ? Missing : Refused;
    }
    long ReadSome(char *out, size_t size) override {
        size_t got = std::fread(out, 1, size, file_);
        if (got == 0 && std::ferror(file_)) return -1;
        return static_cast<long>(got);
    }
    void CloseFile() override {
        if (file_) std::fclose(file_);
        file_ = nullptr;
    }

  private:
    std::FILE *file_ = nullptr;
};

} // namespace

FileReader &StandardFileReader() {
    static StandardReader reader;
    return reader;
}
