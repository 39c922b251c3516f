// The client's settings under HKEY_LOCAL_MACHINE\SOFTWARE\KVT\Wenlo and the
// name list's ties to the name box and the store.
#include "client/client_state.h"

#include "client/wenlo_ids.h"
#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/settings_store_win32.h"

HINSTANCE g_instance;
HWND g_dialog;
HWND g_hidden_window;
ClientSettings g_client;
NameList g_names;
RequestFields g_request;
Alerts *g_alerts;
Clock *g_clock;

void LoadClientSettings() {
    char logon[20] = "";
    DWORD size = sizeof logon;
    if (!GetUserNameA(logon, &size)) logon[0] = '\0';
    CopyCut(g_client.current_name, logon);
    CopyCut(g_client.user_name, "");
    CopyCut(g_client.server, "");
    CopyCut(g_client.port, "223");
    if (ReadSetting(kClientStore, "UserName", g_client.user_name, sizeof g_client.user_name)) {
        ReadSetting(kClientStore, "Server", g_client.server, sizeof g_client.server);
        ReadSetting(kClientStore, "Port", g_client.port, sizeof g_client.port);
    } else {
        g_alerts->Ask("Please set your options!", "In/Out Setup", AlertIcon::Warning,
                      AlertButtons::Ok);
        CopyCut(g_client.user_name, g_client.current_name);
    }
    CopyCut(g_client.names, "");
    CopyCut(g_client.current_name, g_client.user_name);
    ReadSetting(kClientStore, "Names", g_client.names, sizeof g_client.names);
}

namespace {

// The name box (a drop-down combo box). Refilling it empties its edit
// field; the text the member had there is put back.
class DialogNameBox : public NameBox {
  public:
    void Clear() override {
        kept_[0] = '\0';
        if (!g_dialog) return;
        GetDlgItemTextA(g_dialog, IDC_NAME_BOX, kept_, sizeof kept_);
        SendDlgItemMessageA(g_dialog, IDC_NAME_BOX, CB_RESETCONTENT, 0, 0);
    }
    void Add(const char *name) override {
        if (g_dialog)
            SendDlgItemMessageA(g_dialog, IDC_NAME_BOX, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(name));
    }
    void Finish() override {
        if (g_dialog) SetDlgItemTextA(g_dialog, IDC_NAME_BOX, kept_);
    }

  private:
    char kept_[256] = "";
};

class RegistryNameStore : public NameStore {
  public:
    void WriteNames(const char *text) override {
        CopyCut(g_client.names, text);
        WriteSetting(kClientStore, "Names", text);
    }
};

DialogNameBox g_name_box;
RegistryNameStore g_name_store;

} // namespace

NamePlace ClientNamePlace() {
    return NamePlace{g_names, g_name_box, g_name_store, *g_alerts, g_client.user_name};
}
