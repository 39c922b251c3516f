// The settings step of start-up: ServerSettings from the settings store,
// with the first-run questions where the port or the working directory is
// missing. The program around it (the main window, the current directory,
// the directory chooser) is reached through StartUpHost.
#pragma once
#include <cstddef>

class Alerts;
class SettingsStore;
struct ServerSettings;
struct UserTable;

class StartUpHost {
  public:
    virtual ~StartUpHost() = default;
    // The directory the question offers (the process's current directory),
    // or "".
    virtual void CurrentDirectory(char *dir, size_t capacity) = 0;
    // Asks for the data file's directory. Returns 1 with the directory in
    // dir (capacity bytes), 0 when nothing was chosen.
    virtual int ChooseDirectory(char *dir, size_t capacity) = 0;
    // False once the main window, when there is one, has been closed.
    virtual bool StillRunning() = 0;
    // Disables the main window, when there is one, while questions are
    // asked (held), and enables it again after them.
    virtual void HoldWindow(bool held) = 0;
    // Puts text on the status line.
    virtual void ShowStatus(const char *text) = 0;
};

// Fills settings from store (defaults where values are missing) and runs
// the first-run setup: the port message, then the directory question until
// a directory is given. A new data file is created for the empty table
// unless the directory already holds one, which is kept; a creation that
// fails puts "Cannot save " and the path on the status line, and a
// directory the store refuses brings kStoreFailedText. While questions
// are asked the main window is held; if it is closed meanwhile, no further
// question is asked and 0 is returned: the program is ending. Otherwise
// returns 1 with WorkingDir set.
int LoadSettings(SettingsStore &store, ServerSettings &settings, const UserTable &table,
                 Alerts &alerts, StartUpHost &host);

// The directory part of a chosen file's path, in place: everything from the
// last backslash on is removed, the first character never is
// (C:\Data\tesmar.dat gives C:\Data, C:\tesmar.dat gives C:, a path without
// a backslash keeps its first character).
void CutChosenPath(char *path);

// The directory of the chosen file path into dir (capacity bytes). Returns
// 0, with dir empty, when the directory does not fit whole: a cut path
// would put the data file somewhere else.
int DirectoryOfChosenFile(const char *chosen, char *dir, size_t capacity);

extern const char kFirstRunText[];
extern const char kDataFileQuestion[];
