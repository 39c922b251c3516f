// The first-run questions on the server's window: the main window held
// while they are asked, the process's current directory offered, and the
// save-file dialog "Directory for TESMAR.DAT" as the directory chooser.
// Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstddef>

#include "server/first_run/first_run_host.h"

class StatusLine;

class WindowFirstRunHost : public FirstRunHost {
  public:
    // window: the main window (none: nothing to hold or watch); status:
    // where a failure is told; instance: the chooser's.
    WindowFirstRunHost(HWND window, StatusLine &status, HINSTANCE instance)
        : window_(window), status_(status), instance_(instance) {}

    void CurrentDirectory(char *dir, size_t capacity) override;
    // The save-file dialog, offering the current directory's TESMAR.DAT;
    // the chosen file's directory is the answer.
    bool ChooseDirectory(char *dir, size_t capacity) override;
    bool StillRunning() override;
    void HoldWindow(bool held) override;
    void ShowStatus(const char *text) override;

  private:
    HWND window_;
    StatusLine &status_;
    HINSTANCE instance_;
};
