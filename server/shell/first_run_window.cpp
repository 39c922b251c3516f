#include "server/shell/first_run_window.h"

#include <commdlg.h>

#include "common/fixed_text.h"
#include "server/first_run/chosen_path.h"
#include "server/engine/status_line.h"

void WindowFirstRunHost::CurrentDirectory(char *dir, size_t capacity) {
    // "" when it does not fit.
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(capacity), dir);
    if (capacity && (length == 0 || length >= capacity)) dir[0] = '\0';
}

bool WindowFirstRunHost::ChooseDirectory(char *dir, size_t capacity) {
    char current[300];
    CurrentDirectory(current, sizeof current);
    char file[350];
    CopyCut(file, current);
    AppendCut(file, "\\TESMAR.DAT");

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.hInstance = instance_;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrTitle = "Directory for TESMAR.DAT";
    if (!GetSaveFileNameA(&dialog)) {
        if (capacity) dir[0] = '\0';
        return false;
    }
    return DirectoryOfChosenFile(file, dir, capacity);
}

bool WindowFirstRunHost::StillRunning() { return window_ == nullptr || IsWindow(window_); }

void WindowFirstRunHost::HoldWindow(bool held) {
    if (window_) EnableWindow(window_, held ? FALSE : TRUE);
}

void WindowFirstRunHost::ShowStatus(const char *text) { status_.SetStatusText(text); }
