#include "server/shell/board_claim.h"

#include <cstdio>
#include <cstring>

namespace {

// FNV-1a over the path's bytes: a mutex name is at most MAX_PATH
// characters and may not hold "\", a working folder may be longer.
unsigned long long HashPath(const char *path) {
    unsigned long long hash = 14695981039346656037ull;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(path); *p; ++p) {
        hash ^= *p;
        hash *= 1099511628211ull;
    }
    return hash;
}

// Whether a mutex of that name is there, whoever made it.
bool MutexExists(const char *name) {
    HANDLE existing = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (existing) {
        CloseHandle(existing);
        return true;
    }
    // One made by another account that this account may not open.
    return GetLastError() == ERROR_ACCESS_DENIED;
}

} // namespace

void BoardClaimName(const char *working_dir, char *out, size_t capacity) {
    char full[MAX_PATH * 2] = "";
    DWORD n = GetFullPathNameA(working_dir, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) {
        std::snprintf(full, sizeof full, "%s", working_dir);
    }
    // Short (8.3) names and their long forms are one folder.
    char long_form[sizeof full];
    n = GetLongPathNameA(full, long_form, sizeof long_form);
    if (n > 0 && n < sizeof long_form) std::memcpy(full, long_form, n + 1);
    size_t length = std::strlen(full);
    while (length > 0 && (full[length - 1] == '\\' || full[length - 1] == '/')) --length;
    full[length] = '\0';
    for (char *p = full; *p; ++p) {
        if (*p == '/') *p = '\\';
    }
    CharUpperA(full);
    std::snprintf(out, capacity, "KVT.Tesmar.board.%016llx", HashPath(full));
}

bool ClaimBoard(const char *working_dir) {
    char base[64];
    BoardClaimName(working_dir, base, sizeof base);
    char global[80], local[80];
    std::snprintf(global, sizeof global, "Global\\%s", base);
    std::snprintf(local, sizeof local, "Local\\%s", base);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, global);
    if (!mutex) {
        // Refused: either this account may not make machine-wide objects,
        // or another account's server made it.
        if (MutexExists(global)) return false;
        mutex = CreateMutexA(nullptr, FALSE, local);
        if (!mutex) return !MutexExists(local);
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    // Held, never closed, until the process ends.
    return true;
}
