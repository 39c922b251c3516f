// The file services of the native build (common/files.h).
#include "common/files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char kPathSeparator = '/';

namespace {

bool WriteAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
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

// The temporary file beside path: path, ".", the process id, ".tmp".
bool TemporaryPath(const char *path, char *temp, size_t capacity) {
    int n = snprintf(temp, capacity, "%s.%ld.tmp", path, static_cast<long>(getpid()));
    return n > 0 && static_cast<size_t>(n) < capacity;
}

// The permissions the replacement of path gets: the target's own, so that
// a file readable by its owner alone (a configuration holding keys) stays
// so; 0644 for a new file.
mode_t ReplacementMode(const char *path) {
    struct stat info;
    if (stat(path, &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
    return 0644;
}

// Creates temp anew with the bytes and mode, synced to the disk when asked;
// a failed attempt leaves no file. It is made readable by its owner alone
// until its mode is set, so that nobody else opens it meanwhile.
bool WriteTemporary(const char *temp, const char *data, size_t size, bool sync, mode_t mode) {
    int fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data, size) && fchmod(fd, mode) == 0 && (!sync || fsync(fd) == 0);
    if (close(fd) != 0) ok = false;
    if (!ok) unlink(temp);
    return ok;
}

// Makes a rename in path's directory durable.
void SyncDirectoryOf(const char *path) {
    char dir[PATH_MAX];
    DirectoryOf(path, dir, sizeof dir);
    int dfd = open(dir, O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
}

} // namespace

bool ReplaceFileDurably(const char *path, const char *data, size_t size) {
    char temp[PATH_MAX + 32];
    if (!TemporaryPath(path, temp, sizeof temp) ||
        !WriteTemporary(temp, data, size, true, ReplacementMode(path)))
        return false;
    if (rename(temp, path) != 0) {
        unlink(temp);
        return false;
    }
    SyncDirectoryOf(path);
    return true;
}

bool ReplaceOftenReadFile(const char *path, const char *data, size_t size) {
    char temp[PATH_MAX + 32];
    if (!TemporaryPath(path, temp, sizeof temp)) return false;
    if (WriteTemporary(temp, data, size, false, ReplacementMode(path))) {
        if (rename(temp, path) == 0) return true;
        unlink(temp);
    }
    // Written into the file itself.
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    int ok = WriteAll(fd, data, size);
    if (close(fd) != 0) ok = 0;
    return ok;
}

void RemoveLeftTemporaries(const char *path) {
    char dir[PATH_MAX];
    DirectoryOf(path, dir, sizeof dir);
    const char *slash = strrchr(path, '/');
    const char *base = slash ? slash + 1 : path;
    size_t length = strlen(base);
    if (length == 0) return;
    DIR *listing = opendir(dir);
    if (!listing) return;
    while (struct dirent *entry = readdir(listing)) {
        const char *name = entry->d_name;
        if (strncmp(name, base, length) != 0 || name[length] != '.') continue;
        const char *p = name + length + 1;
        const char *digits = p;
        while (*p >= '0' && *p <= '9') ++p;
        if (p == digits || strcmp(p, ".tmp") != 0) continue;
        char left[PATH_MAX * 2];
        if (snprintf(left, sizeof left, "%s/%s", dir, name) < static_cast<int>(sizeof left))
            unlink(left);
    }
    closedir(listing);
}

bool AppendToFile(const char *path, const char *head, size_t head_size, const char *data,
                  size_t size) {
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0;
    if (ok && info.st_size == 0) ok = WriteAll(fd, head, head_size);
    ok = ok && WriteAll(fd, data, size) && fsync(fd) == 0;
    if (close(fd) != 0) ok = false;
    return ok;
}

bool SamePath(const char *a, const char *b) {
    struct stat sa, sb;
    if (stat(a, &sa) == 0 && stat(b, &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
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

bool IsFile(const char *path) {
    struct stat info;
    return stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
}

bool RenameFile(const char *from, const char *to) { return rename(from, to) == 0; }
