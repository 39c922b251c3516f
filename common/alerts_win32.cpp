// The alerts of the Windows programs: task-modal message boxes with no
// owner window.
#include "common/alerts_win32.h"

#include <windows.h>

AlertAnswer MessageBoxAlerts::Ask(const char *text, const char *caption, AlertIcon icon,
                                  AlertButtons buttons) {
    UINT style = MB_TASKMODAL;
    switch (icon) {
    case AlertIcon::Warning:
        style |= MB_ICONWARNING;
        break;
    case AlertIcon::Question:
        style |= MB_ICONQUESTION;
        break;
    case AlertIcon::Stop:
        style |= MB_ICONSTOP;
        break;
    case AlertIcon::None:
        break;
    }
    style |= buttons == AlertButtons::YesNo ? MB_YESNO : MB_OK;
    // The foreground lock lets a box of a program in the background open
    // behind other windows unless it is also topmost.
    if (ToFront()) style |= MB_TOPMOST | MB_SETFOREGROUND;
    switch (MessageBoxA(nullptr, text, caption, style)) {
    case IDYES:
        return AlertAnswer::Yes;
    case IDNO:
        return AlertAnswer::No;
    default:
        return buttons == AlertButtons::YesNo ? AlertAnswer::No : AlertAnswer::Ok;
    }
}
