#include "server/service/status_line.h"

#include <cstring>

#include "common/fixed_text.h"

namespace {
HWND status_window = nullptr;
char status_text[1024] = "";
} // namespace

void SetStatusWindow(HWND window) { status_window = window; }

void SetStatusText(const char *text) {
    CopyCut(status_text, text);
    if (status_window) InvalidateRect(status_window, nullptr, TRUE);
}

const char *StatusText() { return status_text; }
int StatusLength() { return static_cast<int>(std::strlen(status_text)); }
