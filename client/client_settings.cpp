// The client's settings, the member's under HKEY_CURRENT_USER over the
// machine's under HKEY_LOCAL_MACHINE (both SOFTWARE\KVT\Wenlo), and the name
// list's ties to the name box and the store.
#include "client/client_program.h"

#include "client/layered_settings_store.h"
#include "client/wenlo_ids.h"
#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/settings_store_win32.h"

namespace {

// The boxes of the settings go wherever the program's go at the moment.
class ProgramAlerts : public Alerts {
  public:
    AlertAnswer Ask(const char *text, const char *caption, AlertIcon icon,
                    AlertButtons buttons) override {
        return g_program.alerts->Ask(text, caption, icon, buttons);
    }
};

ProgramAlerts g_settings_alerts;
RegistrySettingsStore g_member_store(HKEY_CURRENT_USER, "SOFTWARE\\KVT\\Wenlo");
LayeredSettingsStore g_layered_store(g_member_store, kClientStore, g_settings_alerts);

} // namespace

SettingsStore &ClientStore() { return g_layered_store; }

void RearmSettingsFailureMessage() { g_layered_store.RearmFailureMessage(); }

void LoadClientSettings() {
    char logon[20] = "";
    DWORD size = sizeof logon;
    if (!GetUserNameA(logon, &size)) logon[0] = '\0';
    CopyCut(g_program.settings.current_name, logon);
    CopyCut(g_program.settings.user_name, "");
    CopyCut(g_program.settings.server, "");
    CopyCut(g_program.settings.port, "223");
    SettingsStore &store = ClientStore();
    // Set up once Server is found in either place.
    char server[sizeof g_program.settings.server] = "";
    if (store.Read("Server", server, sizeof server) && server[0] != '\0') {
        CopyCut(g_program.settings.server, server);
        store.Read("Port", g_program.settings.port, sizeof g_program.settings.port);
    } else {
        g_program.alerts->Ask("Please set your options!", "In/Out Setup", AlertIcon::Warning,
                              AlertButtons::Ok);
        store.Read("Port", g_program.settings.port, sizeof g_program.settings.port);
        if (g_program.settings.port[0] == '\0') CopyCut(g_program.settings.port, "223");
    }
    // A machine set up for everyone (an installer's Server and Port only)
    // names nobody: each member is their logon name until they set another.
    store.Read("UserName", g_program.settings.user_name, sizeof g_program.settings.user_name);
    if (g_program.settings.user_name[0] == '\0')
        CopyCut(g_program.settings.user_name, g_program.settings.current_name);
    CopyCut(g_program.settings.names, "");
    CopyCut(g_program.settings.current_name, g_program.settings.user_name);
    store.Read("Names", g_program.settings.names, sizeof g_program.settings.names);
}

namespace {

// The name box (a drop-down combo box). Refilling it empties its edit
// field; the text the member had there is put back.
class DialogNameBox : public NameBox {
  public:
    void Clear() override {
        kept_[0] = '\0';
        if (!g_program.dialog) return;
        GetDlgItemTextA(g_program.dialog, IDC_NAME_BOX, kept_, sizeof kept_);
        SendDlgItemMessageA(g_program.dialog, IDC_NAME_BOX, CB_RESETCONTENT, 0, 0);
    }
    void Add(const char *name) override {
        if (g_program.dialog)
            SendDlgItemMessageA(g_program.dialog, IDC_NAME_BOX, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(name));
    }
    void Finish() override {
        if (g_program.dialog) SetDlgItemTextA(g_program.dialog, IDC_NAME_BOX, kept_);
    }

  private:
    char kept_[256] = "";
};

class RegistryNameStore : public NameStore {
  public:
    void WriteNames(const char *text) override {
        CopyCut(g_program.settings.names, text);
        ClientStore().Write("Names", text);
    }
};

DialogNameBox g_name_box;
RegistryNameStore g_name_store;

} // namespace

NamePlace ClientNamePlace() {
    return NamePlace{g_program.names, g_name_box, g_name_store, *g_program.alerts,
                     g_program.settings.user_name};
}
