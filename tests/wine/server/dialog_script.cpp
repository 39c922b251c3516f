#include "tests/wine/server/dialog_script.h"

#include <cstring>

namespace {

DialogScript *g_playing = nullptr;

struct Search {
    const char *caption;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    Search *search = reinterpret_cast<Search *>(param);
    char cls[32] = "";
    char caption[256] = "";
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(cls, "#32770") == 0 && std::strcmp(caption, search->caption) == 0 &&
        IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ConfirmAll(HWND window, LPARAM) {
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0) PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

} // namespace

HWND FindThreadDialog(const char *caption) {
    Search search{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DialogScript &DialogScript::Then(const char *caption, Action act) {
    steps_.push_back(Step{caption, std::move(act)});
    return *this;
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_playing) g_playing->Advance();
}

void DialogScript::Advance() {
    if (next_ >= steps_.size()) return;
    HWND dialog = FindThreadDialog(steps_[next_].caption.c_str());
    if (dialog && IsWindowEnabled(dialog)) {
        // Advance first: the action may open a nested loop that ticks again.
        Step &step = steps_[next_++];
        step.act(dialog);
        started_ = GetTickCount();
    } else if (GetTickCount() - started_ > 20000) {
        next_ = steps_.size() + 1; // stalled: let everything end
        EnumThreadWindows(GetCurrentThreadId(), ConfirmAll, 0);
    }
}

size_t DialogScript::Run(const std::function<void()> &body) {
    next_ = 0;
    started_ = GetTickCount();
    DialogScript *outer = g_playing;
    g_playing = this;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, Tick);
    body();
    KillTimer(nullptr, timer);
    g_playing = outer;
    return next_ > steps_.size() ? 0 : next_;
}

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetText(HWND dialog, int id, const char *text) { SetDlgItemTextA(dialog, id, text); }

std::string GetText(HWND dialog, int id) {
    char text[2048] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::vector<std::string> ListEntries(HWND dialog, int list_id) {
    std::vector<std::string> entries;
    HWND list = GetDlgItem(dialog, list_id);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char text[256] = "";
        if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

bool SelectEntry(HWND dialog, int list_id, const char *text) {
    std::vector<std::string> entries = ListEntries(dialog, list_id);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == text) {
            SendDlgItemMessageA(dialog, list_id, LB_SETCURSEL, i, 0);
            return true;
        }
    }
    return false;
}
