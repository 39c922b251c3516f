#include "tests/e2e/browser/chromium.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "tests/kit/wine_session.h"

namespace browser {
namespace {

using e2e::NowMs;
using e2e::RemoveTree;

bool Executable(const std::string &path) { return access(path.c_str(), X_OK) == 0; }

} // namespace

std::string FindChromium() {
    const char *path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    for (const char *name : {"chromium", "chromium-browser"}) {
        dirs.clear();
        dirs.seekg(0);
        while (std::getline(dirs, dir, ':')) {
            std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
            if (Executable(candidate)) return candidate;
        }
    }
    return "";
}

ChromiumRun RunChromium(const std::string &chromium, const std::vector<std::string> &args,
                        int timeout_ms) {
    ChromiumRun run;
    char pattern[] = "/tmp/board-browser-profile.XXXXXX";
    if (!mkdtemp(pattern)) return run;
    std::string profile = pattern;

    std::vector<std::string> argv = {chromium,
                                     "--headless",
                                     "--no-sandbox",
                                     "--disable-gpu",
                                     "--no-first-run",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--disable-quic",
                                     "--user-data-dir=" + profile};
    argv.insert(argv.end(), args.begin(), args.end());

    int out_pipe[2], err_pipe[2];
    if (pipe(out_pipe) != 0) return run;
    if (pipe(err_pipe) != 0) {
        close(out_pipe[0]);
        close(out_pipe[1]);
        return run;
    }
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0); // its own group, so that its helpers end with it
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        close(out_pipe[0]);
        close(err_pipe[0]);
        std::vector<char *> raw;
        for (auto &arg : argv) raw.push_back(const_cast<char *>(arg.c_str()));
        raw.push_back(nullptr);
        execv(raw[0], raw.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    if (pid < 0) {
        close(out_pipe[0]);
        close(err_pipe[0]);
        RemoveTree(profile);
        return run;
    }
    setpgid(pid, pid);
    run.started = true;

    // Read both pipes until both close or the time is up.
    double deadline = NowMs() + timeout_ms;
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string *sinks[2] = {&run.out, &run.err};
    int open_pipes = 2;
    bool timed_out = false;
    while (open_pipes > 0) {
        int left = static_cast<int>(deadline - NowMs());
        if (left <= 0) {
            timed_out = true;
            break;
        }
        if (poll(fds, 2, left) < 0) continue;
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[8192];
            ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[k]->append(buffer, static_cast<size_t>(n));
            } else {
                close(fds[k].fd);
                fds[k].fd = -1;
                --open_pipes;
            }
        }
    }
    int status = 0;
    if (!timed_out) {
        // The pipes closed; the process ends at once, but never wait forever.
        while (NowMs() < deadline) {
            pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                run.finished = true;
                run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            usleep(20000);
        }
    }
    if (!run.finished) {
        kill(-pid, SIGKILL);
        waitpid(pid, &status, 0);
    } else {
        kill(-pid, SIGKILL); // any helper left behind
    }
    for (auto &fd : fds)
        if (fd.fd >= 0) close(fd.fd);
    RemoveTree(profile);
    return run;
}

ChromiumRun DumpDom(const std::string &chromium, const std::string &file, int timeout_ms) {
    return DumpUrl(chromium, "file://" + file, timeout_ms);
}

ChromiumRun DumpUrl(const std::string &chromium, const std::string &url, int timeout_ms) {
    return RunChromium(chromium, {"--dump-dom", url}, timeout_ms);
}

ChromiumRun Screenshot(const std::string &chromium, const std::string &file, const std::string &png,
                       int width, int height, int timeout_ms) {
    return RunChromium(chromium,
                       {"--hide-scrollbars",
                        "--window-size=" + std::to_string(width) + "," + std::to_string(height),
                        "--screenshot=" + png, "file://" + file},
                       timeout_ms);
}

bool PngSize(const std::string &png, int &width, int &height) {
    std::ifstream in(png, std::ios::binary);
    unsigned char header[24];
    if (!in.read(reinterpret_cast<char *>(header), sizeof header)) return false;
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (std::memcmp(header, kSignature, 8) != 0 || std::memcmp(header + 12, "IHDR", 4) != 0)
        return false;
    auto be32 = [&](int at) {
        return static_cast<int>((header[at] << 24) | (header[at + 1] << 16) |
                                (header[at + 2] << 8) | header[at + 3]);
    };
    width = be32(16);
    height = be32(20);
    return true;
}

} // namespace browser
