#include "server/shell/shell_admin_host.h"

#include <cstring>

#include "common/file_reader.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/server_state.h"
#include "version/board_version.h"

BoardContext ShellAdminHost::Board() { return server_.Board(); }

bool ShellAdminHost::ReloadBoard() {
    BoardContext board = server_.Board();
    if (server_.publisher.Reload(board)) return true;
    PublishResult unread;
    unread.load_failed = true;
    server_.ReportPublish(unread);
    return false;
}

PublishResult ShellAdminHost::PublishChange(const BoardChange &change) {
    PublishResult result = server_.PublishEdit(change);
    if (server_.user_manager) PostMessageA(server_.user_manager, MSG_USERS_CHANGED, 0, 0);
    return result;
}

ServerSettings &ShellAdminHost::Settings() { return server_.settings; }
SettingsStore &ShellAdminHost::Store() { return server_.store; }
KeyCrypto &ShellAdminHost::Crypto() { return server_.key_crypto; }

void ShellAdminHost::SettingChanged(const char *name) {
    if (std::strcmp(name, "ResetTime") == 0) {
        RearmDailyReset(server_);
    } else if (std::strcmp(name, "Header") == 0 || std::strcmp(name, "Footer") == 0) {
        BoardContext board = server_.Board();
        server_.ReportPublish(server_.publisher.PublishPage(board));
        server_.TellWatchers();
    } else if (std::strcmp(name, "WebHosts") == 0 && server_.settings.WebPort[0] != '\0') {
        // The names a request's Host may give are made from it.
        server_.connections.AllowWebSignIn(server_.settings, server_.web_key, server_.clock);
    }
    // History, WebSignIn and the web key are read at each use.
}

AdminFacts ShellAdminHost::Facts() {
    AdminFacts facts;
    facts.status.assign(server_.status.Text(), static_cast<size_t>(server_.status.Length()));
    facts.connections = server_.connections.OpenCount() + server_.connections.WatcherCount();
    facts.service = server_.as_service;
    facts.version = BOARD_VERSION_TEXT;
    return facts;
}

FileReader &ShellAdminHost::Files() { return server_.history_reader; }
