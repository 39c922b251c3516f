// A file writer that refuses every write, as a full disk or a share gone
// read-only would, and counts the writes it was asked for.
#pragma once
#include "common/file_writer.h"

class FailingFileWriter : public FileWriter {
  public:
    bool ReplaceDurably(const char *, const char *, size_t) override {
        ++writes;
        return false;
    }
    bool Append(const char *, const char *, size_t, const char *, size_t) override {
        ++writes;
        return false;
    }

    int writes = 0;
};
