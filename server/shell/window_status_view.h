// The status line shows in the main window: a change repaints it. Windows
// only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "server/engine/status_line.h"

struct WindowStatusView : StatusLine::View {
    HWND window = nullptr;
    void StatusChanged() override {
        if (window) InvalidateRect(window, nullptr, TRUE);
    }
};
