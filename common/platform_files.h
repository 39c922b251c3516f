// File services with one implementation per platform, chosen by the build:
// platform_posix.cpp natively, platform_win32.cpp in the Windows programs.
#pragma once
#include <cstddef>

// The separator between a directory and a file name ('\\' on Windows).
extern const char kPathSeparator;

// Replaces the file at path with the given bytes so that no reader and no
// crash ever sees a half-written file: the bytes go to a temporary file in
// the same directory, are flushed to the disk, and the temporary file is
// renamed over the target. The temporary file is removed on any failure.
// Returns 1 on success, 0 when the file could not be replaced (the old
// file, if any, is then untouched).
int ReplaceFileDurably(const char *path, const char *data, size_t size);

// 1 when both paths name the same file (full paths compared; without
// regard to case on Windows).
int SamePath(const char *a, const char *b);

void PauseMilliseconds(int ms);
