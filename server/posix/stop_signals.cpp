#include "server/posix/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace {

int g_write_fd = -1;

void OnSignal(int number) {
    int saved = errno;
    char byte = static_cast<char>(number);
    if (g_write_fd >= 0) {
        ssize_t ignored = write(g_write_fd, &byte, 1);
        (void)ignored;
    }
    errno = saved;
}

} // namespace

StopSignals::StopSignals() {
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        read_fd_ = fds[0];
        g_write_fd = fds[1];
    }
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

StopSignals::~StopSignals() {
    for (int number : {SIGTERM, SIGINT, SIGHUP}) signal(number, SIG_DFL);
    if (g_write_fd >= 0) close(g_write_fd);
    if (read_fd_ >= 0) close(read_fd_);
    g_write_fd = -1;
}

SignalAsk StopSignals::Take() {
    SignalAsk ask = SignalAsk::None;
    char bytes[64];
    ssize_t got;
    while ((got = read(read_fd_, bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i) {
            if (bytes[i] == SIGHUP && ask == SignalAsk::None) ask = SignalAsk::Reload;
            if (bytes[i] == SIGTERM || bytes[i] == SIGINT) ask = SignalAsk::Stop;
        }
    }
    return ask;
}
