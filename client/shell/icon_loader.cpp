#include "client/shell/icon_loader.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI *)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI *)(int, UINT);
using LoadIconWithScaleDownFn = HRESULT(WINAPI *)(HINSTANCE, PCWSTR, int, int, HICON *);

FARPROC User32Function(const char *name) {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

LoadIconWithScaleDownFn ScaleDownLoader() {
    static HMODULE comctl32 = LoadLibraryA("comctl32.dll");
    static auto load =
        comctl32 ? reinterpret_cast<LoadIconWithScaleDownFn>(
                       reinterpret_cast<void *>(GetProcAddress(comctl32, "LoadIconWithScaleDown")))
                 : nullptr;
    return load;
}

} // namespace

unsigned WindowDpi(HWND window) {
    static auto get = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void *>(User32Function("GetDpiForWindow")));
    unsigned dpi = get && window ? get(window) : 0;
    return dpi ? dpi : 96;
}

int SmallIconSizeForDpi(unsigned dpi) {
    static auto metric = reinterpret_cast<GetSystemMetricsForDpiFn>(
        reinterpret_cast<void *>(User32Function("GetSystemMetricsForDpi")));
    int size = metric ? metric(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
    return size > 0 ? size : 16;
}

int SmallIconSize(HWND window) { return SmallIconSizeForDpi(WindowDpi(window)); }

HICON LoadClientIcon(HINSTANCE instance, int id, int size) {
    HICON icon = nullptr;
    if (LoadIconWithScaleDownFn load = ScaleDownLoader())
        if (FAILED(load(instance, MAKEINTRESOURCEW(id), size, size, &icon))) icon = nullptr;
    if (!icon)
        icon = static_cast<HICON>(
            LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
    return icon;
}
