// The settings step of a server that nobody attends (the service): the
// same settings and defaults as LoadSettings, but no question is asked. A
// missing Port, WorkingDir or HTMLFile takes what the first run would
// offer (the port 223, the proposed folder, the page board.htm in it), is
// written to the store, and is named in the notes once. The data file is
// created in a new working folder as the first run creates it.
#pragma once
#include <string>
#include <vector>

class FileWriter;
class SettingsStore;
struct ServerSettings;
struct UserTable;

// proposed_dir: the folder to use when WorkingDir is missing; writer
// creates the data file. False, with a note, when WorkingDir is missing
// and no folder was proposed.
bool LoadUnattendedSettings(SettingsStore &store, ServerSettings &settings, const UserTable &table,
                            FileWriter &writer, const char *proposed_dir,
                            std::vector<std::string> &notes);
