#include "server/shell/server_state.h"

#include "common/alerts_win32.h"
#include "common/clock.h"
#include "common/fixed_text.h"
#include "server/service/status_line.h"

HINSTANCE g_instance = nullptr;
HWND g_main_window = nullptr;
ServerSettings g_settings = {};
UserTable g_table = {};

namespace {
MessageBoxAlerts message_boxes;
}

Alerts *g_alerts = &message_boxes;

BoardContext ServerBoard() { return BoardContext{g_table, g_settings, *g_alerts, SystemClock()}; }

void ReportBoardWrites(const BoardWrites &writes) {
    char text[1024] = "";
    if (!writes.page_written) {
        AppendCut(text, "Cannot write the page ");
        AppendCut(text, g_settings.HTMLFile);
    }
    if (!writes.saved) {
        char path[400];
        BuildDataFilePath(g_settings, path, sizeof path);
        if (text[0]) AppendCut(text, "\r\n");
        AppendCut(text, "Cannot save ");
        AppendCut(text, path);
    }
    if (text[0]) SetStatusText(text);
}
