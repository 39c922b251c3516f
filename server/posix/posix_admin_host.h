// The administration from a browser over the native server: its board,
// publication and settings (the settings file, written back as a setting
// changes), each setting put into effect as a SIGHUP would.
#pragma once
#include "server/admin/admin_host.h"

struct PosixServer;

class PosixAdminHost : public AdminHost {
  public:
    explicit PosixAdminHost(PosixServer &server) : server_(server) {}
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
    PosixServer &server_;
};
