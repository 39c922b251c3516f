// The first-run rules of start-up: ServerSettings from the settings store,
// with the first-run questions where the port or the working directory is
// missing. The program around it (the main window, the current directory,
// the directory chooser) is reached through FirstRunHost.
#pragma once
#include "server/first_run/first_run_host.h"

class Alerts;
class FileWriter;
class SettingsStore;
struct ServerSettings;
struct UserTable;

// Fills settings from store (defaults where values are missing) and runs
// the first-run setup: the port message, then the directory question until
// a directory is given. A new data file is created for the empty table with
// writer unless the directory already holds one, which is kept; a creation that
// fails puts "Cannot save " and the path on the status line, and a
// directory the store refuses brings kStoreFailedText. While questions
// are asked the main window is held; if it is closed meanwhile, no further
// question is asked and false is returned: the program is ending.
// Otherwise returns true with WorkingDir set.
bool LoadSettings(SettingsStore &store, ServerSettings &settings, const UserTable &table,
                  FileWriter &writer, Alerts &alerts, FirstRunHost &host);

extern const char kFirstRunText[];
extern const char kDataFileQuestion[];
