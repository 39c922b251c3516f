#include "server/first_run/unattended_settings.h"

#include <cstring>

#include "common/alerts.h"
#include "common/files.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"
#include "server/board/server_settings.h"
#include "server/first_run/first_run.h"

namespace {

// The first run's questions answered as an administrator who takes every
// offer would answer them; what it would have shown becomes a note.
class TakeEveryOffer : public FirstRunHost, public Alerts {
  public:
    TakeEveryOffer(const char *proposed, std::vector<std::string> &notes)
        : proposed_(proposed), notes_(notes) {}
    void CurrentDirectory(char *dir, size_t capacity) override {
        CopyCut(dir, capacity, proposed_);
    }
    bool ChooseDirectory(char *dir, size_t capacity) override {
        CopyCut(dir, capacity, "");
        return false;
    }
    bool StillRunning() override { return true; }
    void HoldWindow(bool) override {}
    void ShowStatus(const char *text) override { notes_.push_back(text); }
    AlertAnswer Ask(const char *text, const char *, AlertIcon, AlertButtons buttons) override {
        if (buttons == AlertButtons::YesNo) return AlertAnswer::Yes;
        // The first-run message tells someone to set the options: the
        // notes say what was set instead.
        if (std::strcmp(text, kFirstRunText) != 0) notes_.push_back(text);
        return AlertAnswer::Ok;
    }

  private:
    const char *proposed_;
    std::vector<std::string> &notes_;
};

bool Missing(SettingsStore &store, const char *name) {
    char value[400] = "";
    ReadSetting(store, name, value, sizeof value);
    return value[0] == '\0';
}

void Note(std::vector<std::string> &notes, bool stored, const char *name, const char *value) {
    std::string note = std::string(name) + " was not set: " + value;
    note += stored ? " is stored." : " is used, but could not be stored.";
    notes.push_back(note);
}

} // namespace

bool LoadUnattendedSettings(SettingsStore &store, ServerSettings &settings, const UserTable &table,
                            FileWriter &writer, const char *proposed_dir,
                            std::vector<std::string> &notes) {
    bool port_missing = Missing(store, "Port");
    bool dir_missing = Missing(store, "WorkingDir");
    bool page_missing = Missing(store, "HTMLFile");
    if (dir_missing && (!proposed_dir || proposed_dir[0] == '\0')) {
        notes.push_back("WorkingDir is not set and no folder could be proposed.");
        return false;
    }
    TakeEveryOffer offers(proposed_dir ? proposed_dir : "", notes);
    LoadSettings(store, settings, table, writer, offers, offers);
    if (dir_missing)
        // LoadSettings wrote it; a refusal came as the store's warning.
        Note(notes, !Missing(store, "WorkingDir"), "WorkingDir", settings.WorkingDir);
    if (port_missing)
        Note(notes, WriteSetting(store, "Port", settings.Port), "Port", settings.Port);
    if (page_missing &&
        std::strlen(settings.WorkingDir) + sizeof "\\board.htm" > sizeof settings.HTMLFile) {
        notes.push_back(
            "HTMLFile is not set, and the working folder's path is too long for a page in it.");
    } else if (page_missing) {
        char page[sizeof settings.HTMLFile];
        CopyCut(page, settings.WorkingDir);
        char separator[2] = {kPathSeparator, '\0'};
        AppendCut(page, separator);
        AppendCut(page, "board.htm");
        CopyCut(settings.HTMLFile, page);
        Note(notes, WriteSetting(store, "HTMLFile", settings.HTMLFile), "HTMLFile",
             settings.HTMLFile);
    }
    return true;
}
