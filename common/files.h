// File services: the replacements, appends and checks that the board, its
// page and its history need, one implementation a platform, chosen by the
// build (files_posix.cpp natively, files_win32.cpp in the Windows programs).
#pragma once
#include <cstddef>

// The separator between a directory and a file name ('\\' on Windows).
extern const char kPathSeparator;

// Replaces the file at path with the given bytes so that no reader and no
// crash ever sees a half-written file: the bytes go to a temporary file in
// the same directory, are flushed to the disk, and the temporary file is
// renamed over the target. A rename refused because a reader holds the
// target open is retried for about 100 ms. The temporary file is removed
// on any failure. True on success, false when the file could not be
// replaced (the old file, if any, is then untouched).
bool ReplaceFileDurably(const char *path, const char *data, size_t size);

// Replaces a file that is made anew at every change and only read by
// others (the board page). The bytes go to a temporary file beside it, not
// flushed (the next change makes the file anew anyway), which is renamed
// over the target; while a reader holds the target the rename alone is
// retried, for about 50 ms, and then the bytes are written into the target
// itself (a reader may then see it half written, and whole at the next
// change). True when the file holds the bytes, false when neither way
// worked; the temporary file never stays.
bool ReplaceOftenReadFile(const char *path, const char *data, size_t size);

// Removes what the two replacements above leave beside path when the
// process is killed in the middle: files in path's directory named as
// path's file name followed by ".", digits and ".tmp". Nothing else is
// touched.
void RemoveLeftTemporaries(const char *path);

// Appends data to the file at path, creating the file when it is missing;
// a file that is new or empty gets head first. The bytes are flushed to
// the disk before it returns. Other programs may read the file meanwhile.
// True when everything was written, false otherwise (the file may then
// end in part of the bytes).
bool AppendToFile(const char *path, const char *head, size_t head_size, const char *data,
                  size_t size);

// True when both paths name the same file. When both exist their identities
// are compared (volume and file index on Windows, device and inode
// natively), so that no spelling of a path (a short name, a "\\?\" prefix,
// a share naming a local folder) hides that it is the other file;
// otherwise their full paths' texts (without regard to case on Windows).
bool SamePath(const char *a, const char *b);

// True when path names an existing file that is not a directory.
bool IsFile(const char *path);

// Renames the file at from to to, replacing a file there (a file set aside
// under a name of its own). True when it was renamed.
bool RenameFile(const char *from, const char *to);
