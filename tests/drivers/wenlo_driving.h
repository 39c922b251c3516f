// Driving running wenlo.exe processes from another program in their Wine
// prefix, as a member would: the sign-in dialog's caption and tray
// message, its fields filled, its radio buttons chosen, message boxes
// read (on top of window_driving.h). Windows only; header
// only, for the small driver programs.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "client/shell/wenlo_ids.h"
#include "tests/drivers/window_driving.h"

namespace wenlo_driving {

inline const char kSignInCaption[] = "KVT Sign-In / Sign-Out  v1.42";
// The tray icon's callback message.
inline const UINT kTrayMessage = WM_APP + 100;

// The message box text and the failure report are every driver's.
using window_driving::Fail;
using window_driving::MessageBoxText;

inline void SetText(HWND dialog, int control, const std::string &text) {
    HWND item = GetDlgItem(dialog, control);
    if (!item) Fail("no control " + std::to_string(control));
    SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Checks Sign In or Sign Out as a click does, and has the dialog act on
// the click before anything else is typed (sent, not posted).
inline void Choose(HWND dialog, int radio) {
    int other = radio == IDC_SIGN_IN ? IDC_SIGN_OUT : IDC_SIGN_IN;
    SendMessageA(GetDlgItem(dialog, radio), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(GetDlgItem(dialog, other), BM_SETCHECK, BST_UNCHECKED, 0);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(radio, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, radio)), SMTO_NORMAL,
                             30000, &result))
        Fail("the sign-in dialog does not answer");
}

} // namespace wenlo_driving
