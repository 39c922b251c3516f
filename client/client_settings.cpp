// The client's settings under HKEY_LOCAL_MACHINE\SOFTWARE\KVT\Wenlo and the
// name list's ties to the name box and the store.
#include "client/client_program.h"

#include "client/wenlo_ids.h"
#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/settings_store_win32.h"

void LoadClientSettings() {
    char logon[20] = "";
    DWORD size = sizeof logon;
    if (!GetUserNameA(logon, &size)) logon[0] = '\0';
    CopyCut(g_program.settings.current_name, logon);
    CopyCut(g_program.settings.user_name, "");
    CopyCut(g_program.settings.server, "");
    CopyCut(g_program.settings.port, "223");
    if (ReadSetting(kClientStore, "UserName", g_program.settings.user_name,
                    sizeof g_program.settings.user_name)) {
        ReadSetting(kClientStore, "Server", g_program.settings.server,
                    sizeof g_program.settings.server);
        ReadSetting(kClientStore, "Port", g_program.settings.port, sizeof g_program.settings.port);
    } else {
        g_program.alerts->Ask("Please set your options!", "In/Out Setup", AlertIcon::Warning,
                              AlertButtons::Ok);
        CopyCut(g_program.settings.user_name, g_program.settings.current_name);
    }
    CopyCut(g_program.settings.names, "");
    CopyCut(g_program.settings.current_name, g_program.settings.user_name);
    ReadSetting(kClientStore, "Names", g_program.settings.names, sizeof g_program.settings.names);
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
        WriteSetting(kClientStore, "Names", text);
    }
};

DialogNameBox g_name_box;
RegistryNameStore g_name_store;

} // namespace

NamePlace ClientNamePlace() {
    return NamePlace{g_program.names, g_name_box, g_name_store, *g_program.alerts,
                     g_program.settings.user_name};
}
