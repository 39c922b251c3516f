#include "server/shell/load_settings.h"

#include <winsock2.h>
#include <windows.h>

#include <commdlg.h>

#include <cstring>

#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/shell/server_state.h"

const char kFirstRunText[] = "You MUST set your Options!\n\rWhen the Tesmar dialog box appears, "
                             "\n\rchoose Edit, Options.\n\r\n\rCreate Users\n\rYou also need to "
                             "set\n\rup your users.  Do that\n\runder Edit, Users.";
const char kDataFileQuestion[] = "The KVT In/Out Daemon needs to create a file called "
                                 "TESMAR.DAT\n\rIs it ok to create this file in:\n\r";

namespace {

// The process's current directory (at most 299 characters), or "".
void CurrentDirectory(char (&dir)[300]) {
    DWORD length = GetCurrentDirectoryA(sizeof dir, dir);
    if (length == 0 || length >= sizeof dir) dir[0] = '\0';
}

// True while start-up may still ask: the main window, if there is one, has
// not been closed.
bool StillRunning(HWND window) { return window == nullptr || IsWindow(window); }

bool IsFile(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Asks until a directory is given; false when the window closed meanwhile.
bool AskForWorkingDir(ServerSettings &settings, Alerts &alerts, DirectoryChooser chooser,
                      HWND window) {
    while (settings.WorkingDir[0] == '\0') {
        if (!StillRunning(window)) return false;
        char current[300];
        CurrentDirectory(current);
        char question[sizeof kDataFileQuestion + sizeof current];
        CopyCut(question, kDataFileQuestion);
        AppendCut(question, current);
        AlertAnswer answer =
            alerts.Ask(question, "Tesmar TESMAR.DAT", AlertIcon::Question, AlertButtons::YesNo);
        if (!StillRunning(window)) return false;
        if (answer == AlertAnswer::Yes) {
            CopyCut(settings.WorkingDir, current);
        } else if (!chooser(settings.WorkingDir, sizeof settings.WorkingDir)) {
            settings.WorkingDir[0] = '\0';
        }
    }
    return StillRunning(window);
}

} // namespace

void CutChosenPath(char *path) {
    size_t length = std::strlen(path);
    while (length > 1) {
        --length;
        char removed = path[length];
        path[length] = '\0';
        if (removed == '\\') break;
    }
}

int DirectoryOfChosenFile(const char *chosen, char *dir, size_t capacity) {
    char path[400];
    CopyCut(path, chosen);
    CutChosenPath(path);
    if (std::strlen(path) + 1 > capacity) {
        if (capacity) dir[0] = '\0';
        return 0;
    }
    CopyCut(dir, capacity, path);
    return 1;
}

int ChooseDataDirectory(char *dir, size_t capacity) {
    char current[300];
    CurrentDirectory(current);
    char file[350];
    CopyCut(file, current);
    AppendCut(file, "\\TESMAR.DAT");

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.hInstance = g_instance;
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
    CopyCut(settings.WorkingDir, "");
    CopyCut(settings.Port, "");
    CopyCut(settings.HTMLFile, "");
    CopyCut(settings.Header, "");
    CopyCut(settings.Footer, "");
    CopyCut(settings.History, "TRUE");
    ReadSetting(store, "WorkingDir", settings.WorkingDir, sizeof settings.WorkingDir);
    ReadSetting(store, "Port", settings.Port, sizeof settings.Port);

    // The questions are asked with the main window disabled, so that no
    // menu command runs before the settings are there.
    HWND window = g_main_window;
    bool asking = settings.Port[0] == '\0' || settings.WorkingDir[0] == '\0';
    if (asking && window) EnableWindow(window, FALSE);

    if (settings.Port[0] == '\0') {
        alerts.Ask(kFirstRunText, "Tesmar First Time Setup", AlertIcon::Warning, AlertButtons::Ok);
        CopyCut(settings.Port, "223");
    }
    if (settings.WorkingDir[0] == '\0') {
        if (!AskForWorkingDir(settings, alerts, chooser, window)) return 0;
        // A data file already in the chosen directory is the board: keep it.
        char path[400];
        if (BuildDataFilePath(settings, path, sizeof path) && !IsFile(path))
            SaveBoard(table, settings);
        WriteSetting(store, "WorkingDir", settings.WorkingDir);
    }
    if (asking && window) {
        if (!StillRunning(window)) return 0;
        EnableWindow(window, TRUE);
    }

    ReadSetting(store, "History", settings.History, sizeof settings.History);
    ReadSetting(store, "HTMLFile", settings.HTMLFile, sizeof settings.HTMLFile);
    ReadSetting(store, "Header", settings.Header, sizeof settings.Header);
    ReadSetting(store, "Footer", settings.Footer, sizeof settings.Footer);
    if (settings.Header[0] == '\0') CopyCut(settings.Header, kDefaultHeader);
    if (settings.Footer[0] == '\0') CopyCut(settings.Footer, kDefaultFooter);
    settings.history_flag = std::strcmp(settings.History, "TRUE") == 0;
    return 1;
}
