// A file reader over the real files that hands out at most piece bytes a
// read and fails the read numbered fail_at (counted from 1 over each
// opening; 0: none fails), as a file share's transient error or another
// program's byte-range lock would part way through a file.
#pragma once
#include "common/file_reader.h"

class FailingFileReader : public FileReader {
  public:
    FailingFileReader(size_t piece, int fail_at) : piece_(piece), fail_at_(fail_at) {}

    Opened OpenFile(const char *path) override {
        reads_ = 0;
        return files_.OpenFile(path);
    }
    long ReadSome(char *out, size_t size) override {
        if (++reads_ == fail_at_) return -1;
        return files_.ReadSome(out, size < piece_ ? size : piece_);
    }
    void CloseFile() override { files_.CloseFile(); }

    int reads() const { return reads_; }

  private:
    StandardFileReader files_;
    size_t piece_;
    int fail_at_;
    int reads_ = 0;
};
