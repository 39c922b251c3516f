// The client's icons at the size a window's scale asks for. The per-monitor
// functions are looked up at run time: a system without them gets the
// system-wide size. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// The window's DPI (96 when the system cannot tell per window).
unsigned WindowDpi(HWND window);
// The small icon size (tray, buttons) for a DPI.
int SmallIconSizeForDpi(unsigned dpi);
int SmallIconSize(HWND window);
// The icon resource id of the module instance at size x size pixels, scaled down
// from a larger image when the file holds no image of that size; null when
// it cannot be loaded. The caller destroys it.
HICON LoadClientIcon(HINSTANCE instance, int id, int size);
