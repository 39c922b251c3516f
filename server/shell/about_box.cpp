// The About box: the icon, one line of text and OK.
#include <winsock2.h>
#include <windows.h>

#include "server/shell/admin_dialogs.h"
#include "server/shell/server_state.h"
#include "server/shell/tesmar_ids.h"

// Every message is left to the system; only OK itself (the button or
// Enter) ends the box. Esc and the close box do nothing. The box uses
// nothing of the program.
INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_COMMAND && wparam == IDOK) EndDialog(dialog, 0);
    return FALSE;
}

void RunAboutBox(ServerState &server, HWND owner) {
    DialogBoxParamA(server.instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutBoxProc,
                    reinterpret_cast<LPARAM>(&server));
}
