// File and clock services of the native build.
#include "common/clock.h"
#include "common/platform_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char kPathSeparator = '/';

namespace {

class LocalClock : public Clock {
  public:
    ClockTime Now() override {
        time_t now = time(nullptr);
        struct tm local;
        localtime_r(&now, &local);
        return ClockTime{local.tm_hour, local.tm_min, local.tm_sec};
    }
};

int WriteAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return 0;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 1;
}

// The directory part of path ("." when it has none), for syncing the rename.
void DirectoryOf(const char *path, char *out, size_t capacity) {
    const char *slash = strrchr(path, '/');
    if (!slash) {
        snprintf(out, capacity, ".");
    } else if (slash == path) {
        snprintf(out, capacity, "/");
    } else {
        snprintf(out, capacity, "%.*s", static_cast<int>(slash - path), path);
    }
}

} // namespace

Clock &SystemClock() {
    static LocalClock clock;
    return clock;
}

int ReplaceFileDurably(const char *path, const char *data, size_t size) {
    char temp[PATH_MAX + 32];
    if (snprintf(temp, sizeof temp, "%s.XXXXXX", path) >= static_cast<int>(sizeof temp)) return 0;
    int fd = mkstemp(temp);
    if (fd < 0) return 0;
    int ok = WriteAll(fd, data, size) && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    if (close(fd) != 0) ok = 0;
    if (ok && rename(temp, path) != 0) ok = 0;
    if (!ok) {
        unlink(temp);
        return 0;
    }
    char dir[PATH_MAX];
    DirectoryOf(path, dir, sizeof dir);
    int dfd = open(dir, O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return 1;
}

int SamePath(const char *a, const char *b) {
    // Resolve each path's directory (the file itself may not exist yet).
    char da[PATH_MAX], db[PATH_MAX], ra[PATH_MAX], rb[PATH_MAX];
    DirectoryOf(a, da, sizeof da);
    DirectoryOf(b, db, sizeof db);
    if (!realpath(da, ra) || !realpath(db, rb)) return strcmp(a, b) == 0;
    const char *na = strrchr(a, '/');
    const char *nb = strrchr(b, '/');
    na = na ? na + 1 : a;
    nb = nb ? nb + 1 : b;
    return strcmp(ra, rb) == 0 && strcmp(na, nb) == 0;
}

void PauseMilliseconds(int ms) {
    struct timespec t{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}
