// The file services of the Windows programs (common/files.h).
#include "common/files.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

const char kPathSeparator = '\\';

namespace {

// How long a rename refused because a reader holds the target is retried,
// and the pause between two tries.
constexpr ULONGLONG kDataFileRenameMs = 100;
constexpr ULONGLONG kPageRenameMs = 50;
constexpr DWORD kRenamePauseMs = 5;

// The temporary file beside path: path, ".", the process id, ".tmp".
bool TemporaryPath(const char *path, char (&temp)[MAX_PATH + 64]) {
    int n = snprintf(temp, sizeof temp, "%s.%lu.tmp", path, GetCurrentProcessId());
    return n > 0 && n < static_cast<int>(sizeof temp);
}

bool WriteAll(HANDLE file, const char *data, size_t size) {
    while (size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += written;
        size -= written;
    }
    return true;
}

// Creates temp anew with the bytes, flushed to the disk when asked; a
// failed attempt leaves no file.
bool WriteTemporary(const char *temp, const char *data, size_t size, bool flush) {
    HANDLE file =
        CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(file, data, size);
    if (ok && flush) ok = FlushFileBuffers(file) != 0;
    if (!CloseHandle(file)) ok = false;
    if (!ok) DeleteFileA(temp);
    return ok;
}

// Renames temp over path. Only a refusal that a reader holding the target
// explains is retried, and only until ms have passed.
bool RenameOver(const char *temp, const char *path, DWORD flags, ULONGLONG ms) {
    ULONGLONG start = GetTickCount64();
    for (;;) {
        if (MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | flags)) return true;
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return false;
        if (GetTickCount64() - start >= ms) return false;
        Sleep(kRenamePauseMs);
    }
}

// Writes the bytes into path itself, beside readers that let others write.
bool WriteInPlace(const char *path, const char *data, size_t size) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(file, data, size) && SetEndOfFile(file);
    if (!CloseHandle(file)) ok = false;
    return ok;
}

bool Identity(const char *path, BY_HANDLE_FILE_INFORMATION &info) {
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return ok;
}

// Whether name is base, ".", one or more digits, ".tmp".
bool IsTemporaryOf(const char *name, const char *base) {
    size_t length = std::strlen(base);
    if (_strnicmp(name, base, length) != 0 || name[length] != '.') return false;
    const char *p = name + length + 1;
    const char *digits = p;
    while (*p >= '0' && *p <= '9') ++p;
    return p > digits && lstrcmpiA(p, ".tmp") == 0;
}

} // namespace

bool ReplaceFileDurably(const char *path, const char *data, size_t size) {
    char temp[MAX_PATH + 64];
    if (!TemporaryPath(path, temp) || !WriteTemporary(temp, data, size, true)) return false;
    if (RenameOver(temp, path, MOVEFILE_WRITE_THROUGH, kDataFileRenameMs)) return true;
    DeleteFileA(temp);
    return false;
}

bool ReplaceOftenReadFile(const char *path, const char *data, size_t size) {
    char temp[MAX_PATH + 64];
    if (!TemporaryPath(path, temp)) return false;
    if (WriteTemporary(temp, data, size, false)) {
        if (RenameOver(temp, path, 0, kPageRenameMs)) return true;
        DeleteFileA(temp);
    }
    return WriteInPlace(path, data, size);
}

void RemoveLeftTemporaries(const char *path) {
    const char *slash = std::strrchr(path, '\\');
    const char *other = std::strrchr(path, '/');
    if (other && (!slash || other > slash)) slash = other;
    const char *base = slash ? slash + 1 : path;
    size_t dir_length = static_cast<size_t>(base - path);
    char pattern[MAX_PATH + 16];
    int n = snprintf(pattern, sizeof pattern, "%s.*.tmp", path);
    if (*base == '\0' || n <= 0 || n >= static_cast<int>(sizeof pattern)) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!IsTemporaryOf(found.cFileName, base)) continue;
        char left[MAX_PATH * 2];
        if (snprintf(left, sizeof left, "%.*s%s", static_cast<int>(dir_length), path,
                     found.cFileName) < static_cast<int>(sizeof left))
            DeleteFileA(left);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool AppendToFile(const char *path, const char *head, size_t head_size, const char *data,
                  size_t size) {
    // Write access (not append only), which flushing asks for; the server
    // is the file's one writer, so writing at the end is appending.
    HANDLE file = CreateFileA(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER zero = {}, length = {};
    bool ok = SetFilePointerEx(file, zero, &length, FILE_END) != 0;
    if (ok && length.QuadPart == 0) ok = WriteAll(file, head, head_size);
    ok = ok && WriteAll(file, data, size) && FlushFileBuffers(file);
    if (!CloseHandle(file)) ok = false;
    return ok;
}

bool SamePath(const char *a, const char *b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (Identity(a, ia) && Identity(b, ib))
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
               ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
    char fa[MAX_PATH * 2], fb[MAX_PATH * 2];
    DWORD la = GetFullPathNameA(a, sizeof fa, fa, nullptr);
    DWORD lb = GetFullPathNameA(b, sizeof fb, fb, nullptr);
    if (la == 0 || la >= sizeof fa || lb == 0 || lb >= sizeof fb) return lstrcmpiA(a, b) == 0;
    return lstrcmpiA(fa, fb) == 0;
}

bool IsFile(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RenameFile(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
