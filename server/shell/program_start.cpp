#include "server/shell/program_start.h"

#include "server/board/board_start_up.h"
#include "server/shell/daily_reset_timer.h"
#include "server/shell/server_state.h"

void OpenBoard(ServerState &server, HWND window) {
    RemoveLeftSaves(server.settings);
    StartUpLoad loaded =
        LoadBoardAtStartUp(server.table, server.settings, server.board_reader, server.file_writer);
    if (loaded != StartUpLoad::Ready) {
        PublishResult result;
        result.load_failed = loaded == StartUpLoad::ReadFailed;
        if (result.load_failed) server.publisher.BoardNotRead();
        result.save_failed = loaded == StartUpLoad::SaveFailed;
        server.ReportPublish(result);
    }
    // No key stays in clear in the registry past the start.
    for (const std::string &unhashed : {server.web_key.Load(server.store, server.settings),
                                        server.rollcall_keys.Load(server.store)})
        if (!unhashed.empty()) server.status.SetStatusText(unhashed.c_str());
    server.rollcall.Load();
    if (server.rollcall.Current().running)
        server.connections.RollCallChanged(server.rollcall.Json(), true);
    // The page is made whole at once: one lost with the machine's power (it
    // is replaced without a flush) or never written yet is there as soon as
    // the server is. It is made with no page file set too, for the web port.
    BoardContext board = server.Board();
    server.ReportPublish(server.publisher.PublishPage(board));
    StartDailyReset(server, window);
}
