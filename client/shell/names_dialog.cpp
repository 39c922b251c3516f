#include "client/shell/dialogs.h"

#include <cstdio>

#include "client/shell/client_program.h"
#include "client/core/name_list.h"
#include "client/shell/wenlo_ids.h"
#include "common/alerts.h"
#include "common/fixed_text.h"
#include "common/user_name_dialog.h"

namespace {

// Adds a name to the name list dialog's list box as the list holds it.
void AddListLine(HWND list_box, const char *name) {
    char cut[kNameCapacity];
    CopyCut(cut, name);
    if (cut[0] == '\0') return; // empty names are never listed
    SendMessageA(list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(cut));
}

// The selected line of the list box into out; false when none is selected.
bool SelectedLine(HWND list_box, char *out, size_t capacity) {
    LRESULT selected = SendMessageA(list_box, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return false;
    LRESULT length = SendMessageA(list_box, LB_GETTEXTLEN, selected, 0);
    if (length == LB_ERR || static_cast<size_t>(length) >= capacity) return false;
    SendMessageA(list_box, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(out));
    return true;
}

void EditName(ClientProgram &program, HWND dialog) {
    HWND list_box = GetDlgItem(dialog, IDC_NAMES);
    char old_name[kUserNameBufferSize];
    if (!SelectedLine(list_box, old_name, sizeof old_name)) return;
    LRESULT selected = SendMessageA(list_box, LB_GETCURSEL, 0, 0);
    char new_name[kUserNameBufferSize];
    CopyCut(new_name, old_name);
    RunUserNameDialog(program.instance, dialog, new_name);
    NamePlace place = ClientNamePlace(program);
    if (!ReplaceName(place, old_name, new_name)) return;
    SendMessageA(list_box, LB_DELETESTRING, selected, 0);
    AddListLine(list_box, new_name);
}

void DeleteName(ClientProgram &program, HWND dialog) {
    HWND list_box = GetDlgItem(dialog, IDC_NAMES);
    char name[kUserNameBufferSize];
    if (!SelectedLine(list_box, name, sizeof name)) return;
    LRESULT selected = SendMessageA(list_box, LB_GETCURSEL, 0, 0);
    char question[64];
    std::snprintf(question, sizeof question, "Delete user: %s", name);
    if (program.alerts.Ask(question, "In/Out Delete Name", AlertIcon::Question,
                           AlertButtons::YesNo) != AlertAnswer::Yes)
        return;
    NamePlace place = ClientNamePlace(program);
    ReplaceName(place, name, "");
    SendMessageA(list_box, LB_DELETESTRING, selected, 0);
}

} // namespace

INT_PTR CALLBACK NameListDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    ClientProgram *kept = DialogProgram(dialog, message, lparam);
    if (!kept) return FALSE;
    ClientProgram &program = *kept;
    switch (message) {
    case WM_INITDIALOG: {
        HWND list_box = GetDlgItem(dialog, IDC_NAMES);
        for (uint32_t i = 0; i < program.names.count && i < kNameSlots; ++i)
            SendMessageA(list_box, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(program.names.slots[i]));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_ADD: {
            char name[kUserNameBufferSize] = "";
            RunUserNameDialog(program.instance, dialog, name);
            NamePlace place = ClientNamePlace(program);
            if (AddName(place, name)) AddListLine(GetDlgItem(dialog, IDC_NAMES), name);
            return TRUE;
        }
        case IDC_EDIT:
            EditName(program, dialog);
            return TRUE;
        case IDC_NAMES:
            if (HIWORD(wparam) == LBN_DBLCLK) EditName(program, dialog);
            return TRUE;
        case IDC_DELETE:
            DeleteName(program, dialog);
            return TRUE;
        default:
            return TRUE; // Escape and the close box do nothing: OK is the way out
        }
    default:
        return FALSE;
    }
}
