// The signals the native server answers, turned into bytes on a pipe that
// its wait watches (the handler does nothing else): SIGTERM and SIGINT
// stop it, SIGHUP reads the settings again. SIGPIPE is ignored (a send to
// a peer that has gone fails instead).
#pragma once

enum class SignalAsk { None, Stop, Reload };

class StopSignals {
  public:
    // Installs the handlers; one instance a process.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // The descriptor to wait on: readable once a signal came.
    int Descriptor() const { return read_fd_; }
    // What the signals that came ask, a stop before a reload. None when no
    // signal came.
    SignalAsk Take();

  private:
    int read_fd_ = -1;
};
