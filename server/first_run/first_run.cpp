#include "server/first_run/first_run.h"

#include <cstring>

#include "common/alerts.h"
#include "common/files.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"
#include "server/board/board_file.h"
#include "server/board/server_settings.h"
#include "server/board/user_table.h"
#include "server/page/page_defaults.h"

const char kFirstRunText[] = "You MUST set your Options!\n\rWhen the Tesmar dialog box appears, "
                             "\n\rchoose Edit, Options.\n\r\n\rCreate Users\n\rYou also need to "
                             "set\n\rup your users.  Do that\n\runder Edit, Users.";
const char kDataFileQuestion[] = "The KVT In/Out Daemon needs to create a file called "
                                 "TESMAR.DAT\n\rIs it ok to create this file in:\n\r";

namespace {

// Asks until a directory is given; false when the window closed meanwhile.
bool AskForWorkingDir(ServerSettings &settings, Alerts &alerts, FirstRunHost &host) {
    while (settings.WorkingDir[0] == '\0') {
        if (!host.StillRunning()) return false;
        char current[300];
        host.CurrentDirectory(current, sizeof current);
        char question[sizeof kDataFileQuestion + sizeof current];
        CopyCut(question, kDataFileQuestion);
        AppendCut(question, current);
        AlertAnswer answer =
            alerts.Ask(question, "Tesmar TESMAR.DAT", AlertIcon::Question, AlertButtons::YesNo);
        if (!host.StillRunning()) return false;
        if (answer == AlertAnswer::Yes) {
            CopyCut(settings.WorkingDir, current);
        } else if (!host.ChooseDirectory(settings.WorkingDir, sizeof settings.WorkingDir)) {
            settings.WorkingDir[0] = '\0';
        }
    }
    return host.StillRunning();
}

} // namespace

bool LoadSettings(SettingsStore &store, ServerSettings &settings, const UserTable &table,
                  FileWriter &writer, Alerts &alerts, FirstRunHost &host) {
    CopyCut(settings.WorkingDir, "");
    CopyCut(settings.Port, "");
    CopyCut(settings.WebPort, "");
    CopyCut(settings.HTMLFile, "");
    CopyCut(settings.Header, "");
    CopyCut(settings.Footer, "");
    CopyCut(settings.ResetTime, "");
    CopyCut(settings.WebHosts, "");
    ReadSetting(store, "WorkingDir", settings.WorkingDir, sizeof settings.WorkingDir);
    ReadSetting(store, "Port", settings.Port, sizeof settings.Port);

    // The questions are asked with the main window held, so that no menu
    // command runs before the settings are there.
    bool asking = settings.Port[0] == '\0' || settings.WorkingDir[0] == '\0';
    if (asking) host.HoldWindow(true);

    if (settings.Port[0] == '\0') {
        alerts.Ask(kFirstRunText, "Tesmar First Time Setup", AlertIcon::Warning, AlertButtons::Ok);
        CopyCut(settings.Port, "223");
    }
    if (settings.WorkingDir[0] == '\0') {
        if (!AskForWorkingDir(settings, alerts, host)) return false;
        // A data file already in the chosen directory is the board: keep it.
        char path[400];
        if (BuildDataFilePath(settings, path, sizeof path) && !IsFile(path) &&
            !SaveBoard(table, settings, writer)) {
            char text[sizeof "Cannot save " + sizeof path];
            CopyCut(text, "Cannot save ");
            AppendCut(text, path);
            host.ShowStatus(text);
        }
        // Unstored, the question comes back at the next start: say why.
        if (!WriteSetting(store, "WorkingDir", settings.WorkingDir))
            alerts.Ask(kStoreFailedText, kStoreFailedCaption, AlertIcon::Warning, AlertButtons::Ok);
    }
    if (asking) {
        if (!host.StillRunning()) return false;
        host.HoldWindow(false);
    }

    // A store that cannot be read leaves History's preset "TRUE" in force.
    char history[8] = "TRUE";
    ReadSetting(store, "History", history, sizeof history);
    ReadSetting(store, "HTMLFile", settings.HTMLFile, sizeof settings.HTMLFile);
    ReadSetting(store, "Header", settings.Header, sizeof settings.Header);
    ReadSetting(store, "Footer", settings.Footer, sizeof settings.Footer);
    ReadSetting(store, "ResetTime", settings.ResetTime, sizeof settings.ResetTime);
    ReadSetting(store, "WebPort", settings.WebPort, sizeof settings.WebPort);
    char web_sign_in[8] = "";
    ReadSetting(store, "WebSignIn", web_sign_in, sizeof web_sign_in);
    ReadSetting(store, "WebHosts", settings.WebHosts, sizeof settings.WebHosts);
    if (settings.Header[0] == '\0') CopyCut(settings.Header, kDefaultHeader);
    if (settings.Footer[0] == '\0') CopyCut(settings.Footer, kDefaultFooter);
    settings.History = std::strcmp(history, "TRUE") == 0;
    settings.WebSignIn = std::strcmp(web_sign_in, "TRUE") == 0;
    return true;
}
