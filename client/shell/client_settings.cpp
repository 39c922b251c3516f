// The client's settings as the program's store holds them (in wenlo.exe the
// member's under HKEY_CURRENT_USER over the machine's under
// HKEY_LOCAL_MACHINE, both SOFTWARE\KVT\Wenlo), and the name list's ties to
// the name box and the store.
#include "client/shell/client_program.h"

#include "client/shell/wenlo_ids.h"
#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/settings_store.h"

void LoadClientSettings(ClientProgram &program) {
    ClientSettings &settings = program.settings;
    char logon[20] = "";
    DWORD size = sizeof logon;
    if (!GetUserNameA(logon, &size)) logon[0] = '\0';
    CopyCut(settings.current_name, logon);
    CopyCut(settings.user_name, "");
    CopyCut(settings.server, "");
    CopyCut(settings.port, "223");
    SettingsStore &store = program.store;
    // Set up once Server is found in either place.
    char server[sizeof settings.server] = "";
    if (store.Read("Server", server, sizeof server) && server[0] != '\0') {
        CopyCut(settings.server, server);
        store.Read("Port", settings.port, sizeof settings.port);
    } else {
        program.alerts.Ask("Please set your options!", "In/Out Setup", AlertIcon::Warning,
                           AlertButtons::Ok);
        store.Read("Port", settings.port, sizeof settings.port);
        if (settings.port[0] == '\0') CopyCut(settings.port, "223");
    }
    // A machine set up for everyone (an installer's Server and Port only)
    // names nobody: each member is their logon name until they set another.
    store.Read("UserName", settings.user_name, sizeof settings.user_name);
    if (settings.user_name[0] == '\0') CopyCut(settings.user_name, settings.current_name);
    CopyCut(settings.names, "");
    CopyCut(settings.current_name, settings.user_name);
    store.Read("Names", settings.names, sizeof settings.names);
}

void DialogNameBox::Clear() {
    kept_[0] = '\0';
    if (!dialog_) return;
    GetDlgItemTextA(dialog_, IDC_NAME_BOX, kept_, sizeof kept_);
    SendDlgItemMessageA(dialog_, IDC_NAME_BOX, CB_RESETCONTENT, 0, 0);
}

void DialogNameBox::Add(const char *name) {
    if (dialog_)
        SendDlgItemMessageA(dialog_, IDC_NAME_BOX, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

void DialogNameBox::Finish() {
    if (dialog_) SetDlgItemTextA(dialog_, IDC_NAME_BOX, kept_);
}

void StoredNames::WriteNames(const char *text) {
    CopyCut(settings_.names, text);
    store_.Write("Names", text);
}

NamePlace ClientNamePlace(ClientProgram &program) {
    return NamePlace{program.names, program.name_box, program.name_store, program.alerts,
                     program.settings.user_name};
}
