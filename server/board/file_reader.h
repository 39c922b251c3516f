// Reading a file from its start, the way the data file is read, behind a
// small class so that a test can make a read fail part way.
#pragma once
#include <cstddef>

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

// The standard library's files.
FileReader &StandardFileReader();
