#include "tests/wine/server_program.h"

ServerState &ResetServerProgram(Alerts &alerts) {
    ServerState &server = TheServer();
    server.instance = GetModuleHandleA(nullptr);
    server.settings = ServerSettings{};
    ClearTable(server.table);
    server.table.count = 0;
    server.alerts = &alerts;
    server.status.SetStatusText("");
    return server;
}
