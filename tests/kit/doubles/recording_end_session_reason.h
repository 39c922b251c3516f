// The reason that holds up a log-off as a test sees it: "create" and
// "destroy" in order, the last reason's text; both always succeed. Windows
// only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "client/shell/end_session_reason.h"

class RecordingEndSessionReason : public EndSessionReason {
  public:
    std::vector<std::string> calls;
    std::wstring text;
    bool Create(HWND, const wchar_t *reason) override {
        calls.push_back("create");
        text = reason;
        return true;
    }
    bool Destroy(HWND) override {
        calls.push_back("destroy");
        return true;
    }
};
