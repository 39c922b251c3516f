#include "server/shell/load_settings.h"

#include <winsock2.h>
#include <windows.h>

#include <commdlg.h>

#include "common/fixed_text.h"
#include "server/shell/server_state.h"

namespace {

// The process's current directory, or "" when it does not fit.
void CurrentDirectoryInto(char *dir, size_t capacity) {
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(capacity), dir);
    if (capacity && (length == 0 || length >= capacity)) dir[0] = '\0';
}

class WindowStartUpHost : public StartUpHost {
  public:
    WindowStartUpHost(HWND window, DirectoryChooser chooser) : window_(window), chooser_(chooser) {}
    void CurrentDirectory(char *dir, size_t capacity) override {
        CurrentDirectoryInto(dir, capacity);
    }
    int ChooseDirectory(char *dir, size_t capacity) override { return chooser_(dir, capacity); }
    bool StillRunning() override { return window_ == nullptr || IsWindow(window_); }
    void HoldWindow(bool held) override {
        if (window_) EnableWindow(window_, held ? FALSE : TRUE);
    }
    void ShowStatus(const char *text) override { TheServer().status.SetStatusText(text); }

  private:
    HWND window_;
    DirectoryChooser chooser_;
};

} // namespace

int ChooseDataDirectory(char *dir, size_t capacity) {
    char current[300];
    CurrentDirectoryInto(current, sizeof current);
    char file[350];
    CopyCut(file, current);
    AppendCut(file, "\\TESMAR.DAT");

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.hInstance = TheServer().instance;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    dialog.lpstrTitle = "Directory for TESMAR.DAT";
    if (!GetSaveFileNameA(&dialog)) {
        if (capacity) dir[0] = '\0';
        return 0;
    }
    return DirectoryOfChosenFile(file, dir, capacity);
}

int LoadSettings(SettingsStore &store, ServerSettings &settings, const UserTable &table,
                 Alerts &alerts, DirectoryChooser chooser) {
    WindowStartUpHost host(TheServer().main_window, chooser);
    return LoadSettings(store, settings, table, alerts, host);
}
