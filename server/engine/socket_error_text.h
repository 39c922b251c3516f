// The texts of Windows Sockets error codes, as the status line shows them.
#pragma once
#include <cstddef>

// "Windows Sockets reports error %04x", the code in lower-case hex, except
// for two codes that have their own text: 10092 (this version is not
// supported) and 10091 (Windows Sockets not ready).
void SocketErrorText(int code, char *out, size_t capacity);
