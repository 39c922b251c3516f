// The reason that holds up a log-off, set on the client's hidden window:
// ShutdownBlockReasonCreate and ShutdownBlockReasonDestroy, or a stand-in.
// Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

class EndSessionReason {
  public:
    virtual ~EndSessionReason() = default;
    virtual bool Create(HWND window, const wchar_t *reason) = 0;
    virtual bool Destroy(HWND window) = 0;
};
