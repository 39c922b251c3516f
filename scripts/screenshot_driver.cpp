// Plays a short session on a running tesmar.exe and wenlo.exe, in the same
// Wine desktop, for scripts/screenshots: opens the server's menu and each
// administration dialog, fills and sends the client's dialog, and points
// at the tray icon. With "first-run" it plays instead the first start of a
// server that has no settings (its two questions, then its window with
// the web port's failure on the status line) and a client whose server
// does not answer. Before each picture it writes SHOT_DIR\NAME.want with
// the screen rectangle to take and the zoom ("left top width height
// percent") and waits until the script has written SHOT_DIR\NAME.done.
//
//   screenshot_driver SHOT_DIR [first-run]
//
// Exits 0 when every picture was taken, 1 at the first thing that did not
// appear within its time (the message says what).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/drivers/window_driving.h"

using namespace window_driving;

namespace {

// The programs' own identifiers.
constexpr int kMenuOptions = 40001, kMenuAbout = 40003, kMenuUsers = 40004,
              kMenuBoardOptions = 40005;
constexpr int kBoardResetTime = 1020, kBoardWebPort = 1021;
constexpr int kOptionsHtmlFile = 1002, kOptionsPort = 1003, kOptionsHeader = 1015;
constexpr int kHtmlText = 1006;
constexpr int kUsersList = 1004, kUsersEdit = 1006;
constexpr int kUserNameEdit = 1006;
constexpr int kSignOut = 1030, kDestination = 1026, kReturnTime = 1017, kClientOptions = 1028;
constexpr int kClientServer = 1030, kClientPort = 1031, kClientAutomatic = 1032;
constexpr int kAutoSignIn = 1040, kAutoSignOut = 1041, kAutoDestination = 1042;

const char kServerTitle[] = "Tesmar 1.41";
constexpr int kServerWidth = 420, kServerHeight = 150;
const char kClientTitle[] = "KVT Sign-In / Sign-Out  v1.42";

std::string g_shots;

RECT Union(RECT a, RECT b) {
    RECT both;
    UnionRect(&both, &a, &b);
    return both;
}

RECT RectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Asks the script for a picture of the rectangle, enlarged to zoom per
// cent, and waits for it.
void Shot(const char *name, RECT rect, int zoom = 100) {
    std::string want = g_shots + "\\" + name + ".want";
    std::string done = g_shots + "\\" + name + ".done";
    DeleteFileA(done.c_str());
    Sleep(400); // let the windows finish painting
    std::string tmp = want + ".tmp";
    FILE *file = std::fopen(tmp.c_str(), "w");
    if (!file) Fail("cannot write " + tmp);
    std::fprintf(file, "%ld %ld %ld %ld %d\n", rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, zoom);
    std::fclose(file);
    MoveFileA(tmp.c_str(), want.c_str());
    DWORD start = GetTickCount();
    while (GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 30000)
            Fail(std::string("no picture ") + name + " within 30 s");
        Sleep(50);
    }
    DeleteFileA(done.c_str());
    std::printf("screenshot_driver: %s\n", name);
    std::fflush(stdout);
}

void Shot(const char *name, HWND window) { Shot(name, RectOf(window)); }

void Command(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// Brings the window to the front and draws its caption as active.
void Activate(HWND window) {
    DWORD mine = GetCurrentThreadId();
    DWORD theirs = GetWindowThreadProcessId(window, nullptr);
    AttachThreadInput(mine, theirs, TRUE);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    AttachThreadInput(mine, theirs, FALSE);
    SendMessageTimeoutA(window, WM_NCACTIVATE, TRUE, 0, SMTO_BLOCK, 5000, nullptr);
}

// The server: its window with the Edit menu open, then each dialog.
void ServerPictures() {
    HWND main = WaitForWindow(nullptr, kServerTitle);
    // The client's dialog, which opens at its start, out of the way below.
    HWND client = WaitForWindow("#32770", kClientTitle);
    SetWindowPos(client, HWND_BOTTOM, 420, 280, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    // Wide enough for the caption and the status line.
    SetWindowPos(main, HWND_TOP, 40, 40, kServerWidth, kServerHeight, 0);
    Activate(main);
    PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, 'e');
    HWND menu = WaitForWindow("#32768", nullptr);
    Shot("server_menu", Union(RectOf(main), RectOf(menu)));
    PostMessageA(main, WM_CANCELMODE, 0, 0);
    WaitUntilHidden(menu, "the Edit menu");

    Command(main, kMenuOptions);
    HWND options = WaitForWindow("#32770", "Tesmar Options");
    // The values of a typical office instead of this run's free port and
    // temporary folder; Cancel below stores none of them.
    SetField(options, kOptionsPort, "223");
    SetField(options, kOptionsHtmlFile, "C:\\Inetpub\\wwwroot\\inout.htm");
    Activate(options);
    Shot("server_options", options);
    Click(options, kOptionsHeader);
    HWND editor = WaitForWindow("#32770", "KVT Tesmar HTML");
    SendMessageTimeoutA(GetDlgItem(editor, kHtmlText), EM_SETSEL, 0, 0, SMTO_BLOCK, 5000, nullptr);
    Activate(editor);
    Shot("server_html_editor", editor);
    Command(editor, IDCANCEL);
    WaitUntilHidden(editor, "the HTML editor");
    Command(options, IDCANCEL);
    WaitUntilHidden(options, "the Options dialog");

    Command(main, kMenuUsers);
    HWND users = WaitForWindow("#32770", "Tesmar User Manager");
    HWND list = GetDlgItem(users, kUsersList);
    SendMessageTimeoutA(list, LB_SETCURSEL, 1, 0, SMTO_BLOCK, 5000, nullptr);
    Activate(users);
    Shot("server_user_manager", users);
    // Edit on the selected name shows it in the user name dialog; Cancel
    // leaves it as it is.
    Click(users, kUsersEdit);
    HWND name = WaitForWindow("#32770", "Tesmar User");
    SendMessageTimeoutA(GetDlgItem(name, kUserNameEdit), EM_SETSEL, 0, -1, SMTO_BLOCK, 5000,
                        nullptr);
    Activate(name);
    Shot("server_user_name", name);
    Command(name, IDCANCEL);
    WaitUntilHidden(name, "the user name dialog");
    Command(users, IDOK);
    WaitUntilHidden(users, "the User Manager");

    Command(main, kMenuBoardOptions);
    HWND board = WaitForWindow("#32770", "Tesmar Board Options");
    // A typical office's values; Cancel below stores nothing.
    SetField(board, kBoardResetTime, "20:00");
    SetField(board, kBoardWebPort, "8080");
    Activate(board);
    Shot("server_board_options", board);
    Command(board, IDCANCEL);
    WaitUntilHidden(board, "the Board Options dialog");

    Command(main, kMenuAbout);
    HWND about = WaitForWindow("#32770", "About Tesmar");
    Activate(about);
    Shot("server_about", about);
    Command(about, IDOK);
    WaitUntilHidden(about, "the About box");
}

// The client: its options, then a sign-out filled in and sent; the tray
// icon then shows the "out" picture and, under the pointer, its tip.
void ClientPictures() {
    HWND client = WaitForWindow("#32770", kClientTitle);
    Activate(client);
    Command(client, kClientOptions);
    HWND options = WaitForWindow("#32770", "KVT In/Out Options");
    SetField(options, kClientServer, "boardserver");
    SetField(options, kClientPort, "223");
    Activate(options);
    Shot("client_options", options);
    Command(options, kClientAutomatic);
    HWND automatic = WaitForWindow("#32770", "KVT In/Out Automatic");
    SendDlgItemMessageA(automatic, kAutoSignIn, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(automatic, kAutoSignOut, BM_SETCHECK, BST_CHECKED, 0);
    SetField(automatic, kAutoDestination, "Home");
    Activate(automatic);
    Shot("client_automatic", automatic);
    Command(automatic, IDCANCEL);
    WaitUntilHidden(automatic, "the automatic options");
    Command(options, IDCANCEL);
    WaitUntilHidden(options, "the client's options");

    Activate(client);
    Click(client, kSignOut);
    SetField(client, kDestination, "Client visit");
    SetField(client, kReturnTime, "2:30pm");
    Activate(client);
    Shot("client_sign_in", client);
    Command(client, IDOK);
    WaitUntilHidden(client, "the sign-in dialog");

    HWND taskbar = WaitForWindow("Shell_TrayWnd", nullptr);
    RECT bar = RectOf(taskbar);
    // The tray sits at the taskbar's right end; the pointer over the icon
    // brings up its tip.
    SetCursorPos(bar.right - 10, (bar.top + bar.bottom) / 2);
    HWND tip = WaitFor("the tray icon's tip", [] {
        HWND found = nullptr;
        for (HWND w = FindWindowA("tooltips_class32", nullptr); w;
             w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr))
            if (IsWindowVisible(w)) found = w;
        return found;
    });
    RECT area = Union({bar.right - 240, bar.top - 40, bar.right, bar.bottom}, RectOf(tip));
    Shot("client_tray", area, 200);
}

// A server's first start: the message, the question for the data file's
// folder (answered Yes), then its window once it listens. The script has
// its web port held by another program, so the status line says so.
void FirstRunPictures() {
    HWND message = WaitForWindow("#32770", "Tesmar First Time Setup");
    Activate(message);
    Shot("server_first_run", message);
    Command(message, IDOK);
    WaitUntilHidden(message, "the first-run message");
    HWND question = WaitForWindow("#32770", "Tesmar TESMAR.DAT");
    Activate(question);
    Shot("server_first_run_folder", question);
    Command(question, IDYES);
    WaitUntilHidden(question, "the data file's question");
    HWND main = WaitForWindow(nullptr, kServerTitle, true);
    SetWindowPos(main, HWND_TOP, 40, 40, kServerWidth, kServerHeight, 0);
    Activate(main);
    Shot("server_status", main);
}

// The client's sign-in sent to a server that does not answer.
void CannotConnectPicture() {
    HWND client = WaitForWindow("#32770", kClientTitle);
    Activate(client);
    Command(client, IDOK);
    HWND box = WaitForWindow("#32770", "ERROR");
    Activate(box);
    Shot("client_cannot_connect", box);
    Command(box, IDOK);
    WaitUntilHidden(box, "the \"Can not connnect\" box");
}

} // namespace

int main(int argc, char **argv) {
    bool first_run = argc == 3 && std::strcmp(argv[2], "first-run") == 0;
    if (argc != 2 && !first_run) {
        std::printf("usage: screenshot_driver SHOT_DIR [first-run]\n");
        return 2;
    }
    g_shots = argv[1];
    if (first_run) {
        FirstRunPictures();
        CannotConnectPicture();
        std::printf("screenshot_driver: done\n");
        return 0;
    }
    ServerPictures();
    ClientPictures();
    std::printf("screenshot_driver: done\n");
    return 0;
}
