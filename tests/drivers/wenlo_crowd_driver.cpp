// Drives many running wenlo.exe processes at once, from inside their Wine
// prefix, as many members would: every client signs its own user out,
// then in again. Run by the native fault test.
//
//   wenlo_crowd_driver COUNT DATA_FILE
//
// Client i (in the order of their process ids) signs user<i> out to
// "Crowd <i>" at 08:<i> until 17:00, then in at 13:<i>. After each round
// it waits (at most 60 s) until DATA_FILE holds every change, and it
// fails when any client shows a window other than its sign-in dialog (an
// error box). Prints what it did; exits 0 when all went as expected.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/drivers/wenlo_driving.h"
#include "tests/kit/files.h"

namespace {

using namespace wenlo_driving;

struct Client {
    DWORD pid;
    HWND dialog;
};

std::string Caption(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassName(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool IsSignInDialog(HWND window) {
    return ClassName(window) == "#32770" && Caption(window) == kSignInCaption;
}

std::vector<Client> FindClients() {
    std::vector<Client> clients;
    for (HWND window : TopLevelWindows()) {
        if (!IsSignInDialog(window)) continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        clients.push_back({pid, window});
    }
    std::sort(clients.begin(), clients.end(),
              [](const Client &a, const Client &b) { return a.pid < b.pid; });
    return clients;
}

// Fails when a client shows anything but its sign-in dialog.
void ExpectNoErrorBoxes(const std::vector<Client> &clients) {
    for (HWND window : TopLevelWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        bool ours = std::any_of(clients.begin(), clients.end(),
                                [&](const Client &c) { return c.pid == pid; });
        if (!ours || !IsWindowVisible(window) || IsSignInDialog(window)) continue;
        if (ClassName(window) != "#32770") continue; // tray and helper windows
        Fail("client " + std::to_string(pid) + " shows \"" + Caption(window) +
             "\": " + MessageBoxText(window));
    }
}

// Polls until done() holds, at most ms.
bool WaitFor(const std::function<bool()> &done, DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

bool AllShown(const std::vector<Client> &clients, bool shown) {
    for (const Client &c : clients)
        if ((IsWindowVisible(c.dialog) != FALSE) != shown) return false;
    return true;
}

std::string User(size_t i) {
    char name[16];
    std::snprintf(name, sizeof name, "user%03u", static_cast<unsigned>(i));
    return name;
}

std::string OutLine(size_t i) {
    char line[96];
    std::snprintf(line, sizeof line, "%s-0-Crowd %u-08:%02u-17:00-\r\n", User(i).c_str(),
                  static_cast<unsigned>(i), static_cast<unsigned>(i));
    return line;
}

std::string InLine(size_t i) {
    char line[96];
    std::snprintf(line, sizeof line, "%s-1- -13:%02u- -\r\n", User(i).c_str(),
                  static_cast<unsigned>(i));
    return line;
}

// Whether the data file holds line(i) for every client i; an error box
// ends the wait at once.
bool AllLanded(const std::vector<Client> &clients, const std::string &data_file,
               std::string (*line)(size_t)) {
    ExpectNoErrorBoxes(clients);
    std::string bytes = ReadBytes(data_file);
    for (size_t i = 0; i < clients.size(); ++i)
        if (bytes.find(line(i)) == std::string::npos) return false;
    return true;
}

// Every client opens its dialog (as a click on its tray icon does), fills
// it in and presses OK, one right after the other.
void Round(const std::vector<Client> &clients, bool sign_out) {
    for (const Client &c : clients) PostMessageA(c.dialog, kTrayMessage, 0, WM_LBUTTONDOWN);
    if (!WaitFor([&] { return AllShown(clients, true); }, 30000))
        Fail("not every sign-in dialog opened");
    for (size_t i = 0; i < clients.size(); ++i) {
        HWND dialog = clients[i].dialog;
        char minute[8];
        std::snprintf(minute, sizeof minute, "%02u", static_cast<unsigned>(i));
        if (sign_out) {
            Choose(dialog, IDC_SIGN_OUT);
            SetText(dialog, IDC_NAME_BOX, User(i));
            SetText(dialog, IDC_OUT_TIME, std::string("08:") + minute);
            SetText(dialog, IDC_DESTINATION, "Crowd " + std::to_string(i));
            SetText(dialog, IDC_RETURN_TIME, "17:00");
        } else {
            Choose(dialog, IDC_SIGN_IN);
            SetText(dialog, IDC_NAME_BOX, User(i));
            SetText(dialog, IDC_IN_TIME, std::string("13:") + minute);
        }
    }
    for (const Client &c : clients) PostMessageA(c.dialog, WM_COMMAND, IDOK, 0);
    if (!WaitFor([&] { return AllShown(clients, false); }, 30000))
        Fail("not every sign-in dialog closed");
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) Fail("usage: wenlo_crowd_driver COUNT DATA_FILE");
    size_t count = static_cast<size_t>(std::atoi(argv[1]));
    std::string data_file = argv[2];

    std::vector<Client> clients;
    DWORD start = GetTickCount();
    while ((clients = FindClients()).size() < count && GetTickCount() - start < 90000) Sleep(100);
    if (clients.size() != count)
        Fail("found " + std::to_string(clients.size()) + " clients, expected " +
             std::to_string(count));
    std::printf("found %u clients\n", static_cast<unsigned>(count));

    Round(clients, true);
    if (!WaitFor([&] { return AllLanded(clients, data_file, OutLine); }, 60000)) {
        ExpectNoErrorBoxes(clients);
        Fail("not every sign-out reached the data file");
    }
    ExpectNoErrorBoxes(clients);
    std::printf("ok: %u signed out\n", static_cast<unsigned>(count));

    Round(clients, false);
    if (!WaitFor([&] { return AllLanded(clients, data_file, InLine); }, 60000)) {
        ExpectNoErrorBoxes(clients);
        Fail("not every sign-in reached the data file");
    }
    // A late error box would come within moments of the last reply.
    Sleep(500);
    ExpectNoErrorBoxes(clients);
    std::printf("ok: %u signed in\n", static_cast<unsigned>(count));
    std::fflush(stdout);
    return 0;
}
