#include "client/shell/client_program.h"

#include "client/shell/end_session_reason.h"

void DropEndSessionReason(ClientProgram &program) {
    if (!program.end_session_reason_set) return;
    program.end_session_reason_set = false;
    program.end_session_reason.Destroy(program.hidden_window);
}

void StartRequest(ClientProgram &program, AutoRequest automatic) {
    StartConnection(program.connection, program.dialog,
                    {program.settings.server, program.settings.port, program.request}, automatic,
                    program.connection_wait_ms);
}

RequestStep ExchangeRequestWithin(ClientProgram &program, UINT wait_ms) {
    return ExchangeWithin(program.connection,
                          {program.settings.server, program.settings.port, program.request},
                          wait_ms);
}
