#include "server/service/status_line.h"

#include <cstring>

#include "common/fixed_text.h"

void StatusLine::SetStatusText(const char *text) {
    CopyCut(text_, text);
    if (window_) InvalidateRect(window_, nullptr, TRUE);
}

int StatusLine::Length() const { return static_cast<int>(std::strlen(text_)); }
