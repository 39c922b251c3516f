#include "server/engine/status_line.h"

#include <cstring>

#include "common/fixed_text.h"

void StatusLine::SetStatusText(const char *text) {
    CopyCut(text_, text);
    if (view_) view_->StatusChanged();
}

int StatusLine::Length() const { return static_cast<int>(std::strlen(text_)); }
