// The administration from a browser over the program: the board, its
// publication and the settings of ServerState, each edit taken the User
// Manager's way and shown in a User Manager open on the desktop, each
// setting put into effect as the dialogs put it. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "server/admin/admin_host.h"

struct ServerState;

// Posted to an open User Manager: the board changed from elsewhere, its
// list is filled again.
constexpr UINT MSG_USERS_CHANGED = WM_USER + 30;

class ShellAdminHost : public AdminHost {
  public:
    explicit ShellAdminHost(ServerState &server) : server_(server) {}
    BoardContext Board() override;
    bool ReloadBoard() override;
    PublishResult PublishChange(const BoardChange &change) override;
    ServerSettings &Settings() override;
    SettingsStore &Store() override;
    KeyCrypto &Crypto() override;
    void SettingChanged(const char *name) override;
    AdminFacts Facts() override;
    FileReader &Files() override;

  private:
    ServerState &server_;
};
