// The platform's file seams as what reads and writes the board's files
// takes them, handed in: FileReader reads a file from its start (the data
// file, the roll call, the history, the settings file); FileWriter
// (common/file_writer.h) replaces a file durably and appends to one. Tests
// hand in doubles that fail part way.
#pragma once
#include <cstddef>
#include <cstdio>

class FileReader {
  public:
    enum Opened {
        Open,    // the file is open for reading
        Missing, // there is no such file
        Refused, // it is there but cannot be opened (a lock, the rights, a directory)
    };
    virtual ~FileReader() = default;
    virtual Opened OpenFile(const char *path) = 0;
    // Reads up to size bytes of the open file: how many were read, 0 at
    // the end of the file, -1 on a read error.
    virtual long ReadSome(char *out, size_t size) = 0;
    virtual void CloseFile() = 0;
};

// The standard library's files. Each reader holds the one file it has
// open, so two readers never share one; a file still open is closed with
// its reader.
class StandardFileReader : public FileReader {
  public:
    StandardFileReader() = default;
    StandardFileReader(const StandardFileReader &) = delete;
    StandardFileReader &operator=(const StandardFileReader &) = delete;
    ~StandardFileReader() override { CloseFile(); }
    Opened OpenFile(const char *path) override;
    long ReadSome(char *out, size_t size) override;
    void CloseFile() override;

  private:
    std::FILE *file_ = nullptr;
};
