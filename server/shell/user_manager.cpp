// The User Manager: the list of users on the board, with Add, Edit and
// Delete. Every change goes to the board at once (AddUser or RenameUser,
// then the data file and the page are published); the list then shows the
// board's names again, as it does after an edit from a browser. OK is the
// only way out.
#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "common/fixed_text.h"
#include "common/user_name_dialog.h"
#include "server/board/board_change.h"
#include "server/board/board_file.h"
#include "server/shell/admin_dialogs.h"
#include "server/shell/server_state.h"
#include "server/shell/shell_admin_host.h"
#include "server/shell/tesmar_ids.h"

namespace {

constexpr size_t kBoardNameSize = sizeof(UserRecord::name);

int BoardCount(const UserTable &table, const char *name) {
    int found = 0;
    for (uint32_t i = 0; i < table.count && i < kMaxUsers; ++i)
        if (CompareNamesExact(table.slots[i].name, name) == 0) ++found;
    return found;
}

// Text of list entry index into out (size bytes); "" when it does not fit.
void EntryText(HWND list, int index, char *out, size_t size) {
    out[0] = '\0';
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length < 0 || static_cast<size_t>(length) >= size) return;
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(out));
}

// Index of the last entry whose text is name exactly (case counts, unlike
// LB_FINDSTRINGEXACT), or -1.
int FindEntry(HWND list, const char *name) {
    LRESULT entries = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = static_cast<int>(entries) - 1; i >= 0; --i) {
        char text[kBoardNameSize + 1];
        EntryText(list, i, text, sizeof text);
        if (std::strcmp(text, name) == 0) return i;
    }
    return -1;
}

int ListCount(HWND list, const char *name) {
    int found = 0;
    LRESULT entries = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < entries; ++i) {
        char text[kBoardNameSize + 1];
        EntryText(list, i, text, sizeof text);
        if (std::strcmp(text, name) == 0) ++found;
    }
    return found;
}

// Makes the list hold name exactly as often as the board does, so that
// after any action the list shows what the board holds: a refused name
// leaves it alone, an empty name never shows, a name the board cut shows
// cut. Returns the index of an entry with that name, or -1.
int MatchBoard(const UserTable &table, HWND list, const char *name) {
    if (name[0] == '\0') return -1;
    int want = BoardCount(table, name);
    int have = ListCount(list, name);
    for (; have > want; --have) SendMessageA(list, LB_DELETESTRING, FindEntry(list, name), 0);
    int index = FindEntry(list, name);
    for (; have < want; ++have)
        index =
            static_cast<int>(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)));
    return index;
}

// The selected entry's text into name (kBoardNameSize + 1 bytes); false
// with none selected.
bool SelectedName(HWND list, char *name, size_t size) {
    LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return false;
    EntryText(list, static_cast<int>(selected), name, size);
    return true;
}

void FillList(ServerState &server, HWND list) {
    BoardContext board = server.Board();
    // A file that cannot be read leaves the list as the board in memory has
    // it, and the status line says so.
    if (!server.publisher.Reload(board)) {
        PublishResult unread;
        unread.load_failed = true;
        server.ReportPublish(unread);
    }
    for (uint32_t i = 0; i < server.table.count && i < kMaxUsers; ++i) {
        const char *name = server.table.slots[i].name;
        if (name[0] != '\0')
            SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(name));
    }
}

void AddEntry(ServerState &server, HWND dialog, HWND list) {
    char typed[kUserNameBufferSize] = "";
    RunUserNameDialog(server.instance, dialog, typed);
    if (server.dialogs.Closing()) return;
    char name[kBoardNameSize];
    CopyCut(name, typed);
    BoardContext board = server.Board();
    BoardChange change;
    bool added = AddUser(board, typed, &change) != 0;
    if (added) server.PublishEdit(change);
    if (added) {
        int index = MatchBoard(server.table, list, name);
        if (index >= 0) SendMessageA(list, LB_SETCURSEL, index, 0);
    }
}

void EditEntry(ServerState &server, HWND dialog, HWND list) {
    char old_name[kBoardNameSize + 1];
    if (!SelectedName(list, old_name, sizeof old_name)) return;
    char typed[kUserNameBufferSize];
    CopyCut(typed, old_name);
    RunUserNameDialog(server.instance, dialog, typed);
    if (server.dialogs.Closing()) return;
    char new_name[kBoardNameSize];
    CopyCut(new_name, typed);
    BoardContext board = server.Board();
    BoardChange change;
    bool renamed = RenameUser(board, old_name, typed, &change) != 0;
    if (renamed) server.PublishEdit(change);
    if (renamed) {
        MatchBoard(server.table, list, old_name);
        int index = MatchBoard(server.table, list, new_name);
        if (index >= 0) SendMessageA(list, LB_SETCURSEL, index, 0);
    }
}

void DeleteEntry(ServerState &server, HWND list) {
    char name[kBoardNameSize + 1];
    if (!SelectedName(list, name, sizeof name)) return;
    char question[sizeof "Delete user: " + kBoardNameSize];
    CopyCut(question, "Delete user: ");
    AppendCut(question, name);
    if (server.alerts.Ask(question, "Tesmar Delete User", AlertIcon::Question,
                          AlertButtons::YesNo) != AlertAnswer::Yes ||
        server.dialogs.Closing())
        return;
    BoardContext board = server.Board();
    BoardChange change;
    bool deleted = RenameUser(board, name, "", &change) != 0;
    if (deleted) server.PublishEdit(change);
    if (deleted) MatchBoard(server.table, list, name);
}

} // namespace

INT_PTR CALLBACK UserManagerProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    ServerState *server = reinterpret_cast<ServerState *>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!server) return FALSE;
    HWND list = GetDlgItem(dialog, IDC_USERS_LIST);
    switch (message) {
    case WM_INITDIALOG:
        server->user_manager = dialog;
        FillList(*server, list);
        return TRUE;
    case MSG_USERS_CHANGED:
        // An edit from a browser: the list shows the board as it is now.
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        FillList(*server, list);
        return TRUE;
    case WM_DESTROY:
        if (server->user_manager == dialog) server->user_manager = nullptr;
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDC_USERS_LIST:
            if (HIWORD(wparam) == LBN_DBLCLK) EditEntry(*server, dialog, list);
            break;
        case IDC_USERS_EDIT:
            EditEntry(*server, dialog, list);
            break;
        case IDC_USERS_ADD:
            AddEntry(*server, dialog, list);
            break;
        case IDC_USERS_DELETE:
            DeleteEntry(*server, list);
            break;
        case IDOK:
            EndDialog(dialog, 1);
            break;
        default: // Cancel, Esc and the close box among them
            break;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void RunUserManager(ServerState &server, HWND owner) {
    DialogBoxParamA(server.instance, MAKEINTRESOURCEA(IDD_USER_MANAGER), owner, UserManagerProc,
                    reinterpret_cast<LPARAM>(&server));
}
