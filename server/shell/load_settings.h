// The Windows side of the settings step of start-up: the main window held
// while the first-run questions are asked, the current directory offered,
// and the save-file dialog as the directory chooser.
#pragma once
#include <cstddef>

#include "server/board/load_settings.h"

// Asks for the data file's directory. Returns 1 with the directory in dir
// (capacity bytes), 0 when nothing was chosen.
using DirectoryChooser = int (*)(char *dir, size_t capacity);

// The save-file dialog "Directory for TESMAR.DAT", offering the current
// directory's TESMAR.DAT; the chosen file's directory is the answer.
int ChooseDataDirectory(char *dir, size_t capacity);

// LoadSettings with the program's main window (TheServer().main_window, when there
// is one), the process's current directory and chooser.
int LoadSettings(SettingsStore &store, ServerSettings &settings, const UserTable &table,
                 Alerts &alerts, DirectoryChooser chooser);
