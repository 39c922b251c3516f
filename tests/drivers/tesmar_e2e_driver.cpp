// Drives a real tesmar.exe from outside, as an administrator would: the
// first-run questions on an empty settings key, the port and the page set
// through Options, a restart for the new port, three users added through
// the User Manager, then one of them signed in over TCP.
//
//   tesmar_e2e_driver TESMAR_EXE WORK_DIR [SHOT_DIR]
//
// Runs in a private Wine prefix (its registry key is emptied here). With
// SHOT_DIR, each dialog is held open while a screenshot is taken: the
// driver writes SHOT_DIR/NAME.want and waits for SHOT_DIR/NAME.done.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/kit/board_test_support.h"
#include "tests/drivers/window_driving.h"

using namespace window_driving;

namespace {

int g_failures = 0;
std::string g_shots;

void Check(bool ok, const std::string &what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    if (!ok) ++g_failures;
}

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        for (char &c : path)
            if (c == '/') c = '\\';
        path = "Z:" + path;
    }
    return path;
}

HWND WaitForDialog(const char *caption) { return WaitForWindow("#32770", caption, true); }

void WaitUntilGone(HWND window, const std::string &what) { WaitUntilHidden(window, what); }

// Holds the screen while a screenshot is taken (only with SHOT_DIR).
void Shot(const char *name) {
    if (g_shots.empty()) return;
    std::string want = g_shots + "\\" + name + ".want";
    std::string done = g_shots + "\\" + name + ".done";
    FILE *file = std::fopen(want.c_str(), "w");
    if (file) std::fclose(file);
    DWORD start = GetTickCount();
    while (GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 30000) Fail(std::string("no screenshot ") + name);
        Sleep(50);
    }
}

PROCESS_INFORMATION Start(const std::string &exe, const std::string &dir) {
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string command = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                        &startup, &process))
        Fail("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
    return process;
}

HWND MainWindow() {
    return WaitFor(
        "main window", [] { return FindWindowA("Tesmar 1.41", "Tesmar 1.41"); }, true);
}

void Stop(PROCESS_INFORMATION &process) {
    HWND main = FindWindowA("Tesmar 1.41", "Tesmar 1.41");
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        Check(false, "tesmar.exe ends when its window is closed");
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

unsigned short FreePort() {
    SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        getsockname(probe, reinterpret_cast<sockaddr *>(&address), &size) != 0)
        Fail("no free port");
    closesocket(probe);
    return ntohs(address.sin_port);
}

// Sends one request line; returns the reply ("" when none could be had).
std::string Request(unsigned short port, const char *line) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
        SOCKET peer = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address;
        std::memset(&address, 0, sizeof address);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        if (connect(peer, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
            send(peer, line, static_cast<int>(std::strlen(line)), 0);
            std::string reply;
            char chunk[256];
            int got;
            while ((got = recv(peer, chunk, sizeof chunk, 0)) > 0) reply.append(chunk, got);
            closesocket(peer);
            return reply;
        }
        closesocket(peer);
        Sleep(100); // the listener opens once the message loop runs
    }
    return "";
}

void AddUserThroughManager(HWND manager, const char *name) {
    HWND list = GetDlgItem(manager, 1004);
    LRESULT before = SendMessageA(list, LB_GETCOUNT, 0, 0);
    Press(manager, 1005);
    HWND dialog = WaitForDialog("Tesmar User");
    SetField(dialog, 1006, name);
    static bool shot = false;
    if (!shot) {
        Shot("user_name");
        shot = true;
    }
    Press(dialog, IDOK);
    DWORD start = GetTickCount();
    while (SendMessageA(list, LB_GETCOUNT, 0, 0) != before + 1) {
        if (GetTickCount() - start > 30000) Fail(std::string("the list did not take ") + name);
        Sleep(20);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::printf("usage: tesmar_e2e_driver TESMAR_EXE WORK_DIR [SHOT_DIR]\n");
        return 2;
    }
    std::string exe = WindowsPath(argv[1]);
    std::string dir = WindowsPath(argv[2]);
    if (argc > 3) g_shots = WindowsPath(argv[3]);
    CreateDirectoryA(dir.c_str(), nullptr);
    WSADATA wsa;
    WSAStartup(MAKEWORD(1, 1), &wsa);

    // An empty settings key: a first start.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\KVT\\Tesmar");

    PROCESS_INFORMATION process = Start(exe, dir);
    HWND box = WaitForDialog("Tesmar First Time Setup");
    Press(box, IDOK);
    box = WaitForDialog("Tesmar TESMAR.DAT");
    Check(TextOf(GetDlgItem(box, 0xFFFF)).find(dir) != std::string::npos,
          "the data file question offers the current directory");
    Press(box, IDYES);
    HWND main = MainWindow();
    Check(ReadBytes(dir + "\\tesmar.dat").empty() &&
              GetFileAttributesA((dir + "\\tesmar.dat").c_str()) != INVALID_FILE_ATTRIBUTES,
          "an empty tesmar.dat is created");

    // Options: the port and the page.
    unsigned short port = FreePort();
    std::string page = dir + "\\board.html";
    PostMessageA(main, WM_COMMAND, 40001, 0);
    HWND options = WaitForDialog("Tesmar Options");
    Check(TextOf(GetDlgItem(options, 1003)) == "223", "Options shows the default port 223");
    SetField(options, 1003, std::to_string(port).c_str());
    SetField(options, 1002, page.c_str());
    // The history journal: off on a first start, ticked here.
    HWND history = GetDlgItem(options, 1014);
    Check(IsWindowVisible(history) && SendMessageA(history, BM_GETCHECK, 0, 0) == BST_UNCHECKED,
          "Options shows History, unticked on a first start");
    SendMessageA(history, BM_SETCHECK, BST_CHECKED, 0);
    Shot("options");
    Press(options, 1015);
    HWND editor = WaitForDialog("KVT Tesmar HTML");
    Shot("html_editor");
    Press(editor, IDCANCEL);
    WaitUntilGone(editor, "the HTML editor");
    Press(options, IDOK);
    box = WaitForDialog("Options");
    Check(TextOf(GetDlgItem(box, 0xFFFF)).find("You have changed the port.") == 0,
          "the port message comes");
    Press(box, IDOK);
    WaitUntilGone(options, "Options");

    PostMessageA(main, WM_COMMAND, 40003, 0);
    HWND about = WaitForDialog("About Tesmar");
    Shot("about");
    Press(about, IDOK);
    WaitUntilGone(about, "the About box");

    // A new port takes effect at the next start; no questions come then.
    Stop(process);
    process = Start(exe, dir);
    main = MainWindow();
    Check(FindWindowA("#32770", "Tesmar First Time Setup") == nullptr,
          "a configured server starts without questions");

    PostMessageA(main, WM_COMMAND, 40004, 0);
    HWND manager = WaitForDialog("Tesmar User Manager");
    AddUserThroughManager(manager, "Carol");
    AddUserThroughManager(manager, "Ann");
    // Requests are served while the manager is open, and the next add
    // keeps what the request changed.
    Check(Request(port, "#oAnn-10:15-Dentist-11:45\n\r") == "0\n\r",
          "a sign-out is served while the User Manager is open");
    AddUserThroughManager(manager, "Bob");
    Shot("user_manager");
    // The Delete question blocks the manager behind it; No keeps the user.
    SendMessageA(GetDlgItem(manager, 1004), LB_SETCURSEL, 0, 0);
    Press(manager, 1007);
    box = WaitForDialog("Tesmar Delete User");
    Check(TextOf(GetDlgItem(box, 0xFFFF)) == "Delete user: Ann", "Delete asks about Ann");
    Check(!IsWindowEnabled(manager), "the User Manager is blocked while the question is open");
    Press(box, IDNO);
    WaitUntilGone(box, "the Delete question");
    WaitFor(
        "the User Manager again", [manager] { return manager; }, true);
    Check(SendMessageA(GetDlgItem(manager, 1004), LB_GETCOUNT, 0, 0) == 3,
          "No keeps all three users listed");
    // Carol (the third in the list) renamed to Cara.
    SendMessageA(GetDlgItem(manager, 1004), LB_SETCURSEL, 2, 0);
    Press(manager, 1006);
    HWND rename = WaitForDialog("Tesmar User");
    Check(TextOf(GetDlgItem(rename, 1006)) == "Carol", "Edit offers Carol");
    SetField(rename, 1006, "Cara");
    Press(rename, IDOK);
    WaitUntilGone(rename, "the user name dialog");
    Press(manager, IDOK);
    WaitUntilGone(manager, "the User Manager");
    std::string data = ReadBytes(dir + "\\tesmar.dat");
    Check(data.find("Ann-") < data.find("Bob-") && data.find("Bob-") < data.find("Cara-") &&
              data.find("Cara-") != std::string::npos,
          "the data file holds the three users in board order");
    Check(data.find("Ann-0-Dentist-10:15-11:45-") != std::string::npos,
          "the add after the sign-out kept Ann out at the dentist");

    std::string reply = Request(port, "#iBob-08:47\n\r");
    std::string shown;
    for (char c : reply)
        shown += c == '\n'   ? std::string("\\n")
                 : c == '\r' ? std::string("\\r")
                             : std::string(1, c);
    Check(reply == "0\n\r", "Bob signs in over TCP and gets \"0\\n\\r\" (got \"" + shown + "\")");
    std::string html = ReadBytes(page);
    size_t row = html.find("<TH ALIGN=LEFT>Bob</TH>");
    size_t row_end = html.find("</TR>", row);
    Check(row != std::string::npos && html.find("08:47", row) < row_end,
          "the page shows Bob's row with the time he signed in");
    Check(html.find("<TH ALIGN=LEFT>Ann</TH>") != std::string::npos &&
              html.find("<TH ALIGN=LEFT>Cara</TH>") != std::string::npos,
          "the page lists the other two users");

    // Every change left its line in this month's journal, in order.
    SYSTEMTIME today;
    GetLocalTime(&today);
    char month[32];
    std::snprintf(month, sizeof month, "\\history-%04d-%02d.csv", today.wYear, today.wMonth);
    std::string journal = ReadBytes(dir + month);
    Check(journal.find("\xEF\xBB\xBF"
                       "date,time,event,name,") == 0,
          "the journal starts with its byte-order mark and header");
    size_t at = 0;
    for (const char *line :
         {",added,Carol,12:00,,,\r\n", ",added,Ann,12:00,,,\r\n",
          ",out,Ann,10:15,Dentist,11:45,127.0.0.1\r\n", ",added,Bob,12:00,,,\r\n",
          ",renamed,Cara,12:00,,,Carol\r\n", ",in,Bob,08:47,,,127.0.0.1\r\n"}) {
        size_t found = journal.find(line, at);
        Check(found != std::string::npos, std::string("the journal then holds ") + line);
        if (found != std::string::npos) at = found;
    }
    std::printf("journal:\n%s", journal.c_str());

    Stop(process);
    WSACleanup();
    std::printf("%s\n", g_failures ? "end-to-end run FAILED" : "end-to-end run passed");
    return g_failures ? 1 : 0;
}
