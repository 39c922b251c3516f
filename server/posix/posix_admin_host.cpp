#include "server/posix/posix_admin_host.h"

#include <cstring>

#include "common/file_reader.h"
#include "server/posix/config_file.h"
#include "server/posix/posix_server.h"
#include "version/board_version.h"

BoardContext PosixAdminHost::Board() { return server_.Board(); }

bool PosixAdminHost::ReloadBoard() {
    BoardContext board = server_.Board();
    if (server_.publisher.Reload(board)) return true;
    PublishResult unread;
    unread.load_failed = true;
    server_.ReportPublish(unread);
    return false;
}

PublishResult PosixAdminHost::PublishChange(const BoardChange &change) {
    BoardContext board = server_.Board();
    PublishResult result = server_.publisher.Publish(board, {change}, {});
    server_.ReportPublish(result);
    server_.TellWatchers();
    return result;
}

ServerSettings &PosixAdminHost::Settings() { return server_.settings; }
SettingsStore &PosixAdminHost::Store() { return server_.config; }
KeyCrypto &PosixAdminHost::Crypto() { return server_.key_crypto; }

void PosixAdminHost::SettingChanged(const char *name) {
    if (std::strcmp(name, "ResetTime") == 0) {
        server_.daily_reset.Rearm();
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

AdminFacts PosixAdminHost::Facts() {
    AdminFacts facts;
    facts.status.assign(server_.status.Text(), static_cast<size_t>(server_.status.Length()));
    facts.connections = server_.connections.OpenCount() + server_.connections.WatcherCount();
    facts.version = BOARD_VERSION_TEXT;
    return facts;
}

FileReader &PosixAdminHost::Files() { return server_.history_reader; }
