#include "server/engine/socket_error_text.h"

#include <cstdio>

#include "common/fixed_text.h"

void SocketErrorText(int code, char *out, size_t capacity) {
    constexpr int kVersionNotSupported = 10092;
    constexpr int kSystemNotReady = 10091;
    if (code == kVersionNotSupported)
        CopyCut(out, capacity, "This version of Windows Sockets is not supported");
    else if (code == kSystemNotReady)
        CopyCut(out, capacity, "Windows Sockets is not present or is not responding");
    else
        std::snprintf(out, capacity, "Windows Sockets reports error %04x",
                      static_cast<unsigned>(code));
}
