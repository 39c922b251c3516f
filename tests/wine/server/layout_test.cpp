// The dialog templates against the layout they are meant to have: every
// control's place, size, text and style, and each dialog's caption, size
// and font, as the running dialog reports them.
#include <winsock2.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/user_name_dialog_ids.h"
#include "server/shell/tesmar_ids.h"

namespace {

struct Control {
    int id;
    const char *cls;
    const char *text;
    int x, y, w, h;
    DWORD style; // bits that must be set
    bool visible;
};

struct Layout {
    int resource;
    const char *caption;
    int w, h;
    std::vector<Control> controls; // in tab order
};

constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_TABSTOP;

const std::vector<Layout> &Layouts() {
    static const std::vector<Layout> layouts = {
        {IDD_OPTIONS,
         "Tesmar Options",
         197,
         103,
         {{1003, "Edit", "", 48, 7, 26, 12, kEdit, true},
          {1014, "Button", "History", 113, 14, 55, 8, BS_AUTOCHECKBOX | WS_TABSTOP, true},
          {1002, "Edit", "", 48, 26, 129, 12, kEdit, true},
          {1004, "Button", "...", 179, 26, 10, 11, kButton, true},
          {1015, "Button", "HTML Header", 14, 57, 61, 11, kButton, true},
          {1016, "Button", "HTML Footer", 14, 71, 61, 11, kButton, true},
          {1, "Button", "OK", 140, 63, 50, 14, kButton | BS_DEFPUSHBUTTON, true},
          {2, "Button", "Cancel", 140, 81, 50, 14, kButton, true},
          {-1, "Static", "HTML File:", 7, 26, 37, 9, 0, true},
          {-1, "Static", "Server Port:", 7, 8, 37, 9, 0, true},
          {-1, "Static", "(the FULL PATH and File Name)", 56, 39, 109, 8, 0, true}}},
        {IDD_USER_MANAGER,
         "Tesmar User Manager",
         140,
         132,
         // (the list shows its vertical scroll bar, and has the style, only
         // while it holds more names than it can show)
         {{1004, "ListBox", "", 7, 7, 65, 118,
           WS_BORDER | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT, true},
          {1005, "Button", "Add", 81, 7, 45, 13, kButton, true},
          {1006, "Button", "Edit", 81, 22, 45, 13, kButton, true},
          {1007, "Button", "Delete", 81, 38, 45, 13, kButton, true},
          {1, "Button", "OK", 83, 111, 50, 14, kButton | BS_DEFPUSHBUTTON, true}}},
        {IDD_USER_NAME,
         "Tesmar User",
         150,
         47,
         {{1006, "Edit", "", 7, 17, 73, 12, kEdit, true},
          {1, "Button", "OK", 93, 7, 50, 14, kButton | BS_DEFPUSHBUTTON, true},
          {-1, "Static", "User Name:", 7, 7, 56, 9, 0, true},
          {2, "Button", "Cancel", 93, 24, 50, 14, kButton, true}}},
        {IDD_HTML_EDITOR,
         "KVT Tesmar HTML",
         306,
         119,
         {{1006, "Edit", "", 7, 7, 292, 85,
           WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
               ES_WANTRETURN,
           true},
          {1, "Button", "OK", 195, 98, 50, 14, kButton, true},
          {2, "Button", "Cancel", 249, 98, 50, 14, kButton, true}}},
        {IDD_BOARD_OPTIONS,
         "Tesmar Board Options",
         262,
         136,
         {{-1, "Static", "Sign everyone out every day at", 7, 9, 104, 9, 0, true},
          {1020, "Edit", "", 113, 7, 28, 12, kEdit, true},
          {-1, "Static", "(HH:MM, 24-hour; empty: never)", 145, 9, 110, 9, 0, true},
          {-1, "Static", "Serve the board on web port", 7, 28, 104, 9, 0, true},
          {1021, "Edit", "", 113, 26, 28, 12, kEdit, true},
          {-1, "Static", "(empty: off)", 145, 28, 84, 9, 0, true},
          {1022, "Button", "Members may sign in and out from a browser", 7, 46, 200, 10,
           WS_TABSTOP | BS_AUTOCHECKBOX, true},
          {-1, "Static", "Key a browser must give", 7, 65, 104, 9, 0, true},
          {1023, "Edit", "", 113, 63, 80, 12, kEdit | ES_PASSWORD, true},
          {1024, "Static", "", 197, 65, 60, 9, 0, true},
          {1025, "Button", "No key", 113, 79, 40, 10, WS_TABSTOP | BS_AUTOCHECKBOX, true},
          {-1, "Static", "(new: 8 or more; empty: kept)", 157, 80, 100, 9, 0, true},
          {1026, "Button", "Administration key...", 7, 96, 80, 14, kButton, true},
          {1027, "Button", "Marshal key...", 91, 96, 60, 14, kButton, true},
          {1, "Button", "OK", 151, 115, 50, 14, kButton | BS_DEFPUSHBUTTON, true},
          {2, "Button", "Cancel", 205, 115, 50, 14, kButton, true}}},
        {IDD_ABOUT,
         "About Tesmar",
         190,
         60,
         {{-1, "Static", "", 10, 10, 20, 20, SS_ICON, true},
          {-1, "Static", "Sign-In / Sign-Out Daemon", 40, 10, 141, 10, 0, true},
          {1, "Button", "OK", 70, 40, 40, 14, kButton, true}}},
    };
    return layouts;
}

INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(DialogLayout, TemplatesHaveTheirControlsTextsPlacesAndStyles) {
    for (const Layout &layout : Layouts()) {
        SCOPED_TRACE(layout.caption);
        HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr),
                                         MAKEINTRESOURCEA(layout.resource), nullptr, Inert, 0);
        ASSERT_NE(dialog, nullptr);
        char caption[64] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ(caption, layout.caption);
        DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
                  static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
        // Only the About box shows itself when created.
        EXPECT_EQ((style & WS_VISIBLE) != 0, layout.resource == IDD_ABOUT);

        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");

        RECT size = {0, 0, layout.w, layout.h};
        MapDialogRect(dialog, &size);
        RECT client;
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);

        size_t index = 0;
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT), ++index) {
            ASSERT_LT(index, layout.controls.size());
            const Control &want = layout.controls[index];
            SCOPED_TRACE(want.text);
            char cls[32] = "", text[64] = "";
            GetClassNameA(child, cls, sizeof cls);
            GetWindowTextA(child, text, sizeof text);
            EXPECT_STRCASEEQ(cls, want.cls);
            EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), want.id);
            if (want.style != SS_ICON) {
                EXPECT_STREQ(text, want.text);
            }
            DWORD child_style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
            // Edit and list controls turn a border into a sunken edge.
            DWORD want_style = want.style & ~static_cast<DWORD>(WS_BORDER);
            EXPECT_EQ(child_style & want_style, want_style);
            if (want.style & WS_BORDER) {
                DWORD ex = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
                EXPECT_TRUE((child_style & WS_BORDER) || (ex & WS_EX_CLIENTEDGE));
            }
            EXPECT_EQ((child_style & WS_VISIBLE) != 0, want.visible);

            // The dialog maps a control's place and its size each on its own.
            RECT place = {want.x, want.y, want.w, want.h};
            MapDialogRect(dialog, &place);
            RECT actual;
            GetWindowRect(child, &actual);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&actual), 2);
            EXPECT_EQ(actual.left, place.left);
            EXPECT_EQ(actual.top, place.top);
            if (want.style != SS_ICON) { // an icon control takes the icon's size
                EXPECT_EQ(actual.right - actual.left, place.right);
                EXPECT_EQ(actual.bottom - actual.top, place.bottom);
            }
        }
        EXPECT_EQ(index, layout.controls.size());
        DestroyWindow(dialog);
    }
}

} // namespace
