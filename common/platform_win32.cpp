// File and clock services of the Windows programs.
#include "common/clock.h"
#include "common/platform_files.h"

#include <windows.h>

#include <cstdio>

const char kPathSeparator = '\\';

namespace {

class LocalClock : public Clock {
  public:
    ClockTime Now() override {
        SYSTEMTIME t;
        GetLocalTime(&t);
        return ClockTime{t.wHour, t.wMinute, t.wSecond};
    }
};

} // namespace

Clock &SystemClock() {
    static LocalClock clock;
    return clock;
}

int ReplaceFileDurably(const char *path, const char *data, size_t size) {
    char temp[MAX_PATH + 64];
    if (snprintf(temp, sizeof temp, "%s.%lu.tmp", path, GetCurrentProcessId()) >=
        static_cast<int>(sizeof temp))
        return 0;
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    BOOL ok = TRUE;
    while (ok && size > 0) {
        DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        ok = WriteFile(file, data, chunk, &written, nullptr) && written == chunk;
        data += written;
        size -= written;
    }
    if (ok) ok = FlushFileBuffers(file);
    if (!CloseHandle(file)) ok = FALSE;
    // A reader holding the target open makes the move fail for a moment.
    for (int attempt = 0; ok && attempt < 5; ++attempt) {
        if (MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 1;
        Sleep(10);
    }
    DeleteFileA(temp);
    return 0;
}

int SamePath(const char *a, const char *b) {
    char fa[MAX_PATH * 2], fb[MAX_PATH * 2];
    DWORD la = GetFullPathNameA(a, sizeof fa, fa, nullptr);
    DWORD lb = GetFullPathNameA(b, sizeof fb, fb, nullptr);
    if (la == 0 || la >= sizeof fa || lb == 0 || lb >= sizeof fb) return lstrcmpiA(a, b) == 0;
    return lstrcmpiA(fa, fb) == 0;
}

void PauseMilliseconds(int ms) { Sleep(static_cast<DWORD>(ms)); }
