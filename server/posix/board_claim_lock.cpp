#include "server/posix/board_claim_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

bool ClaimBoardByLock(const char *working_dir) {
    std::string path = std::string(working_dir) + "/tesmar.lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return true;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        bool held_elsewhere = errno == EWOULDBLOCK;
        close(fd);
        return !held_elsewhere;
    }
    // Kept open, never closed, until the process ends.
    return true;
}
