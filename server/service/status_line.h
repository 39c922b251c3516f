// The status line: the one line of text the main window shows, the latest
// socket error or file failure. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

class StatusLine {
  public:
    // The window whose client area shows the status line.
    void SetWindow(HWND window) { window_ = window; }

    // Copies text (cut to 1023 characters) and has the whole window
    // repainted.
    void SetStatusText(const char *text);

    // The text to paint and its length in characters.
    const char *Text() const { return text_; }
    int Length() const;

  private:
    HWND window_ = nullptr;
    char text_[1024] = "";
};
