// The server's program state as an in-process test starts it: the one place
// the fixtures reach the server object.
#pragma once
#include "server/shell/server_state.h"

// Empty settings and board, the connections' counts at zero, the status line
// blank and message boxes going to alerts. Returns the server object.
ServerState &ResetServerProgram(Alerts &alerts);
