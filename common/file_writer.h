// The writing half of the platform's file seams (see file_reader.h): the
// durable replacement of a file and the flushed append, as common/files.h
// describes them. PlatformFileWriter is the programs' own, over those
// functions; tests hand in doubles.
#pragma once
#include <cstddef>

#include "common/files.h"

class FileWriter {
  public:
    virtual ~FileWriter() = default;
    // ReplaceFileDurably: the file is the bytes, or (false) as it was.
    virtual bool ReplaceDurably(const char *path, const char *data, size_t size) = 0;
    // AppendToFile: head first into a new or empty file; false when not
    // everything was written.
    virtual bool Append(const char *path, const char *head, size_t head_size, const char *data,
                        size_t size) = 0;
};

class PlatformFileWriter : public FileWriter {
  public:
    bool ReplaceDurably(const char *path, const char *data, size_t size) override {
        return ReplaceFileDurably(path, data, size);
    }
    bool Append(const char *path, const char *head, size_t head_size, const char *data,
                size_t size) override {
        return AppendToFile(path, head, head_size, data, size);
    }
};
