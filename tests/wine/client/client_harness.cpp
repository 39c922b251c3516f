#include "tests/wine/client/client_harness.h"

#include <gtest/gtest.h>

#include <string>

#include "client/shell/dialogs.h"
#include "client/shell/request_exchange.h"
#include "client/shell/wenlo_ids.h"

void ClientTest::TearDown() {
    CloseSignInDialog();
    if (program.hidden_window) DestroyWindow(program.hidden_window);
    program.hidden_window = nullptr;
    EndSockets(program.connection);
    InProcessTest::TearDown();
}

HWND ClientTest::OpenSignInDialog() { return OpenDialog(IDD_SIGN_IN, SignInDialogProc); }

HWND ClientTest::OpenDialog(int id, DLGPROC procedure, HWND owner) {
    return CreateDialogParamA(program.instance, MAKEINTRESOURCEA(id), owner, procedure,
                              reinterpret_cast<LPARAM>(&program));
}

void ClientTest::CloseSignInDialog() {
    EndConnection(program.connection);
    if (program.dialog) DestroyWindow(program.dialog);
    program.dialog = nullptr;
    PumpFor(20);
}

std::string DialogText(HWND dialog, int control) {
    char text[256] = "";
    GetDlgItemTextA(dialog, control, text, sizeof text);
    return text;
}

namespace {

const char kKeyPath[] = "SOFTWARE\\KVT\\Wenlo";

} // namespace

SettingsStore &MemberKey() {
    static RegistrySettingsStore member(HKEY_CURRENT_USER, kKeyPath);
    return member;
}

void DeleteClientKey() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKeyPath);
}
