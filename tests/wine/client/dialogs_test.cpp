// The sign-in dialog, its tray icon, Exit, the log-off query, the options
// and the name list dialogs, driven in-process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "client/shell/client_program.h"
#include "client/shell/client_start.h"
#include "client/shell/request_exchange.h"
#include "client/shell/session_window.h"
#include "client/shell/icon_loader.h"
#include "client/shell/session_sign.h"
#include "client/shell/shown_state.h"
#include "client/shell/dialogs.h"
#include "client/shell/wenlo_ids.h"
#include "common/settings_store_win32.h"
#include "common/user_name_dialog_ids.h"
#include "tests/wine/client/client_harness.h"

namespace {

std::vector<std::string> BoxLines(HWND dialog, int control, bool combo) {
    std::vector<std::string> lines;
    UINT count_message = combo ? CB_GETCOUNT : LB_GETCOUNT;
    UINT text_message = combo ? CB_GETLBTEXT : LB_GETTEXT;
    LRESULT count = SendDlgItemMessageA(dialog, control, count_message, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = "";
        SendDlgItemMessageA(dialog, control, text_message, i, reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

std::string StoredNames() {
    char text[kNamesTextCapacity] = "<no key>";
    ReadSetting(MemberKey(), "Names", text, sizeof text);
    return text;
}

using Lines = std::vector<std::string>;

class DialogTest : public ClientTest {
  protected:
    void SetUp() override {
        ClientTest::SetUp();
        if (HasFatalFailure()) return;
        std::strcpy(program.settings.user_name, "Ann");
        std::strcpy(program.settings.current_name, "Ann");
        std::strcpy(program.settings.server, "127.0.0.1");
        std::strcpy(program.settings.port, "223");
        std::strcpy(program.settings.names, "carl%bob%");
    }
    void Open() {
        dialog = OpenSignInDialog();
        ASSERT_NE(nullptr, dialog);
    }
    void Click(int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void ChooseSignOut() {
        CheckDlgButton(dialog, IDC_SIGN_IN, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_SIGN_OUT, BST_CHECKED);
        Click(IDC_SIGN_OUT);
    }
    BOOL QueryEnd(LPARAM flags) {
        DWORD_PTR answer = 99;
        EXPECT_TRUE(SendMessageTimeoutA(program.hidden_window, WM_QUERYENDSESSION, 0, flags,
                                        SMTO_NORMAL, 5000, &answer));
        return static_cast<BOOL>(answer);
    }

    HWND dialog = nullptr;
};

TEST_F(DialogTest, OpeningFillsTheNameBoxTheTimesAndTheSignInTip) {
    Open();
    EXPECT_EQ(Lines({"Ann", "bob", "carl"}), BoxLines(dialog, IDC_NAME_BOX, true));
    EXPECT_EQ(2u, program.names.count);
    EXPECT_STREQ("carl", program.names.slots[0]); // the stored order, not sorted
    EXPECT_EQ("Ann", DialogText(dialog, IDC_NAME_BOX));
    EXPECT_EQ("9:07am", DialogText(dialog, IDC_IN_TIME));
    EXPECT_EQ("9:07am", DialogText(dialog, IDC_OUT_TIME));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_SIGN_IN));
    EXPECT_TRUE(program.tray.added);
    EXPECT_EQ(IDI_SIGNED_IN, program.tray.icon_id);
    EXPECT_STREQ("9:07am", program.tray.tip);
    EXPECT_TRUE(program.request.signed_in);
}

TEST_F(DialogTest, TheTipFollowsTheChosenStateAndFallsBackToItsString) {
    Open();
    SetDlgItemTextA(dialog, IDC_OUT_TIME, "");
    ChooseSignOut();
    EXPECT_EQ(IDI_SIGNED_OUT, program.tray.icon_id);
    EXPECT_STREQ("State12", program.tray.tip);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, IDC_SIGN_IN));
    SetDlgItemTextA(dialog, IDC_OUT_TIME, "12:30pm and a very long text that goes past the end");
    Click(3); // Cancel keeps the state and hides the dialog
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(IDI_SIGNED_OUT, program.tray.icon_id);
    EXPECT_STREQ("12:30pm and a very long text that goes past the end", program.tray.tip);
    SetDlgItemTextA(dialog, IDC_IN_TIME, "");
    CheckDlgButton(dialog, IDC_SIGN_OUT, BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SIGN_IN, BST_CHECKED);
    Click(IDC_SIGN_IN);
    EXPECT_EQ(IDI_SIGNED_IN, program.tray.icon_id);
    EXPECT_STREQ("State11", program.tray.tip);
    EXPECT_TRUE(recorder.asked.empty());
}

TEST_F(DialogTest, ShowingFromTheTrayRefreshesButRepaintingKeepsWhatWasPicked) {
    Open();
    Click(3);
    SetDlgItemTextA(dialog, IDC_NAME_BOX, "bob");
    SetDlgItemTextA(dialog, IDC_OUT_TIME, "old");
    // A repaint of an icon button changes nothing the member chose.
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = IDC_IN_ICON;
    item.hwndItem = GetDlgItem(dialog, IDC_IN_ICON);
    item.hDC = GetDC(dialog);
    SetRect(&item.rcItem, 0, 0, 16, 16);
    SendMessageA(dialog, WM_DRAWITEM, IDC_IN_ICON, reinterpret_cast<LPARAM>(&item));
    ReleaseDC(dialog, item.hDC);
    EXPECT_EQ("bob", DialogText(dialog, IDC_NAME_BOX));
    EXPECT_EQ("old", DialogText(dialog, IDC_OUT_TIME));
    // A click on the tray icon shows the dialog afresh.
    clock.time = {13, 30, 0};
    SendMessageA(dialog, MSG_TRAY_ICON, 0, WM_RBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(dialog));
    SendMessageA(dialog, MSG_TRAY_ICON, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ("Ann", DialogText(dialog, IDC_NAME_BOX));
    EXPECT_EQ("1:30pm", DialogText(dialog, IDC_OUT_TIME));
    EXPECT_EQ("9:07am", DialogText(dialog, IDC_IN_TIME));
}

TEST_F(DialogTest, ATrayClickOnAVisibleDialogKeepsThePickAndRestoresAMinimisedOne) {
    Open();
    ASSERT_TRUE(IsWindowVisible(dialog));
    SetDlgItemTextA(dialog, IDC_NAME_BOX, "bob");
    SendMessageA(dialog, MSG_TRAY_ICON, 0, WM_LBUTTONDOWN);
    EXPECT_EQ("bob", DialogText(dialog, IDC_NAME_BOX));
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog));
    SendMessageA(dialog, MSG_TRAY_ICON, 0, WM_LBUTTONDOWN);
    EXPECT_FALSE(IsIconic(dialog));
    EXPECT_EQ("bob", DialogText(dialog, IDC_NAME_BOX));
}

TEST_F(DialogTest, AFailedAddIsRetriedAndANewTaskbarGetsTheIconWithItsState) {
    tray_shell.answers = {false, false}; // the shell is not ready at logon
    Open();
    EXPECT_FALSE(program.tray.added);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), tray_shell.calls.back().message);
    SendMessageA(dialog, WM_TIMER, kTrayRetryTimer, 0);
    EXPECT_TRUE(program.tray.added);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), tray_shell.calls.back().message);

    SetDlgItemTextA(dialog, IDC_OUT_TIME, "12:30pm");
    ChooseSignOut();
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), tray_shell.calls.back().message);
    // Explorer restarted: the new taskbar is told of the icon afresh.
    size_t before = tray_shell.calls.size();
    SendMessageA(dialog, TaskbarCreatedMessage(), 0, 0);
    ASSERT_EQ(before + 1, tray_shell.calls.size());
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), tray_shell.calls.back().message);
    EXPECT_EQ("12:30pm", tray_shell.calls.back().tip);
    EXPECT_TRUE(tray_shell.calls.back().icon);
    // A modify the shell refuses (it lost the icon) becomes an add.
    tray_shell.answers = {false, true};
    Click(IDC_SIGN_OUT);
    EXPECT_EQ(static_cast<DWORD>(NIM_ADD), tray_shell.calls.back().message);
    EXPECT_TRUE(program.tray.added);
}

TEST_F(DialogTest, AnAddRefusedTooLateIsFollowedByModifiesThatCarryTheState) {
    // The shell's wait ran out on the first add, which it carried out all
    // the same: every later add is refused, modifies are taken.
    tray_shell.answer_of = [](DWORD message) { return message != NIM_ADD; };
    Open();
    EXPECT_FALSE(program.tray.added);
    SendMessageA(dialog, WM_TIMER, kTrayRetryTimer, 0);
    EXPECT_TRUE(program.tray.added);
    SetDlgItemTextA(dialog, IDC_OUT_TIME, "12:30pm");
    ChooseSignOut();
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), tray_shell.calls.back().message);
    EXPECT_EQ("12:30pm", tray_shell.calls.back().tip);
    size_t adds = std::count_if(tray_shell.calls.begin(), tray_shell.calls.end(),
                                [](const ScriptedTray::Call &c) { return c.message == NIM_ADD; });
    EXPECT_EQ(1u, adds);
}

TEST_F(DialogTest, ExitAsksAndOnlyYesEndsTheProgram) {
    Open();
    recorder.answers = {AlertAnswer::No};
    Click(IDCANCEL);
    ASSERT_EQ(1u, recorder.asked.size());
    EXPECT_EQ("Terminate Sign-in / Sign-out program?", recorder.asked[0].text);
    EXPECT_EQ("EXIT Program", recorder.asked[0].caption);
    EXPECT_EQ(AlertIcon::Question, recorder.asked[0].icon);
    EXPECT_EQ(AlertButtons::YesNo, recorder.asked[0].buttons);
    EXPECT_FALSE(program.exit_confirmed);
    EXPECT_TRUE(IsWindowVisible(dialog));
    recorder.answers = {AlertAnswer::Yes};
    Click(IDCANCEL);
    EXPECT_EQ(2u, recorder.asked.size());
    EXPECT_TRUE(program.exit_confirmed);
    EXPECT_FALSE(IsWindowVisible(dialog));
}

TEST_F(DialogTest, LogOffWithSignInSelectedIsHeldUpAtOnceWithTheQuestionAsItsReason) {
    ASSERT_TRUE(CreateHiddenWindow(program));
    Open();
    Click(3);
    EXPECT_EQ(FALSE, QueryEnd(ENDSESSION_LOGOFF));
    EXPECT_TRUE(recorder.asked.empty()); // no box inside the query
    EXPECT_EQ(Lines({"create"}), reason.calls);
    EXPECT_EQ(std::wstring(L"Do you want to sign out first?"), reason.text);
    EXPECT_TRUE(IsWindowVisible(dialog));
    // A critical end goes ahead and takes the reason away; so does a
    // Restart Manager close.
    EXPECT_EQ(TRUE, QueryEnd(ENDSESSION_CRITICAL));
    EXPECT_EQ(Lines({"create", "destroy"}), reason.calls);
    EXPECT_EQ(TRUE, QueryEnd(ENDSESSION_CLOSEAPP));
    // Choosing Sign Out ends the hold.
    EXPECT_EQ(FALSE, QueryEnd(0));
    ChooseSignOut();
    EXPECT_EQ(Lines({"create", "destroy", "create", "destroy"}), reason.calls);
    EXPECT_EQ(TRUE, QueryEnd(0));
    EXPECT_TRUE(recorder.asked.empty());
    // The Restart Manager's end closes the program without a question.
    SendMessageA(program.hidden_window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    EXPECT_TRUE(program.exit_confirmed);
    EXPECT_TRUE(recorder.asked.empty());
    DestroyWindow(program.hidden_window);
    program.hidden_window = nullptr;
}

TEST_F(DialogTest, ASecondStartInTheSessionBringsTheFirstForwardAndEnds) {
    HANDLE first = CreateMutexA(nullptr, FALSE, kSessionMutexName);
    ASSERT_NE(nullptr, first);
    ASSERT_TRUE(CreateHiddenWindow(program));
    Open();
    Click(3);
    ASSERT_FALSE(IsWindowVisible(dialog));
    // The second start is a program of its own.
    ClientProgram second(program.instance, clock, store, recorder, tray_shell, reason, session);
    EXPECT_EQ(0, RunClient(second));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5000));
    EXPECT_TRUE(recorder.asked.empty()); // it asked nothing, started nothing
    DestroyWindow(program.hidden_window);
    program.hidden_window = nullptr;
    CloseHandle(first);
}

TEST_F(DialogTest, OptionsOkStoresTheThreeValuesAndCancelNothing) {
    Open();
    HWND options = OpenDialog(IDD_OPTIONS, OptionsDialogProc);
    ASSERT_NE(nullptr, options);
    EXPECT_EQ("Ann", DialogText(options, IDC_OPT_USER_NAME));
    EXPECT_EQ("127.0.0.1", DialogText(options, IDC_OPT_SERVER));
    EXPECT_EQ("223", DialogText(options, IDC_OPT_PORT));
    SetDlgItemTextA(options, IDC_OPT_USER_NAME, "Beatrice_with_a_long_name");
    SetDlgItemTextA(options, IDC_OPT_SERVER, "board");
    SetDlgItemTextA(options, IDC_OPT_PORT, "2230");
    SendMessageA(options, WM_COMMAND, IDOK, 0);
    DestroyWindow(options);
    EXPECT_STREQ("Beatrice_with_a_lon", program.settings.user_name);
    EXPECT_STREQ("Beatrice_with_a_lon", program.settings.current_name);
    EXPECT_STREQ("board", program.settings.server);
    EXPECT_STREQ("2230", program.settings.port);
    char stored[80];
    // They are the member's own: the machine's key stays as it was.
    EXPECT_FALSE(ReadSetting(kClientStore, "UserName", stored, sizeof stored));
    ASSERT_TRUE(ReadSetting(MemberKey(), "UserName", stored, sizeof stored));
    EXPECT_STREQ("Beatrice_with_a_lon", stored);
    ReadSetting(MemberKey(), "Server", stored, sizeof stored);
    EXPECT_STREQ("board", stored);
    ReadSetting(MemberKey(), "Port", stored, sizeof stored);
    EXPECT_STREQ("2230", stored);

    options = OpenDialog(IDD_OPTIONS, OptionsDialogProc);
    SetDlgItemTextA(options, IDC_OPT_PORT, "1");
    SendMessageA(options, WM_COMMAND, IDCANCEL, 0);
    DestroyWindow(options);
    EXPECT_STREQ("2230", program.settings.port);
}

TEST_F(DialogTest, TheAutomaticOptionsAreTheMembersOwnAndANewNameLetsRequestsGoAgain) {
    Open();
    HWND automatic = OpenDialog(IDD_AUTO_SIGN, AutoSignDialogProc);
    ASSERT_NE(nullptr, automatic);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(automatic, IDC_AUTO_SIGN_IN));
    CheckDlgButton(automatic, IDC_AUTO_SIGN_OUT, BST_CHECKED);
    SetDlgItemTextA(automatic, IDC_AUTO_DESTINATION, "Home");
    SendMessageA(automatic, WM_COMMAND, IDOK, 0);
    DestroyWindow(automatic);
    char stored[16] = "";
    ReadSetting(MemberKey(), "AutoSignOut", stored, sizeof stored);
    EXPECT_STREQ("TRUE", stored);
    EXPECT_FALSE(ReadSetting(kClientStore, "AutoSignOut", stored, sizeof stored));
    // Read back at the next start.
    program.auto_signer.SetOptions({});
    program.auto_destination[0] = '\0';
    LoadAutoOptions(program);
    EXPECT_FALSE(program.auto_signer.Options().sign_in);
    EXPECT_TRUE(program.auto_signer.Options().sign_out);
    EXPECT_STREQ("Home", program.auto_destination);

    // Stopped by an unknown name: a new name in Options lets requests go.
    program.auto_signer.At(SessionMoment::Unlock, session);
    program.auto_signer.Concluded(AutoVerdict::UnknownName);
    ASSERT_TRUE(program.auto_signer.Stopped());
    HWND options = OpenDialog(IDD_OPTIONS, OptionsDialogProc);
    SetDlgItemTextA(options, IDC_OPT_USER_NAME, "Anne");
    SendMessageA(options, WM_COMMAND, IDOK, 0);
    DestroyWindow(options);
    EXPECT_FALSE(program.auto_signer.Stopped());
}

// Answers the next name dialog of this thread with a text (OK) or Cancel.
std::string g_name_to_type;
bool g_cancel_name;
int g_name_dialogs_seen;

BOOL CALLBACK FindNameDialog(HWND window, LPARAM found) {
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(caption, "Tesmar User") != 0 || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

void CALLBACK AnswerNameDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindNameDialog, reinterpret_cast<LPARAM>(&found));
    if (!found) return;
    KillTimer(nullptr, timer);
    ++g_name_dialogs_seen;
    if (g_cancel_name) {
        SetDlgItemTextA(found, IDC_USER_NAME_EDIT, "typed but cancelled");
        PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
    } else {
        SetDlgItemTextA(found, IDC_USER_NAME_EDIT, g_name_to_type.c_str());
        PostMessageA(found, WM_COMMAND, IDOK, 0);
    }
}

void PressWithNameDialog(HWND list_dialog, int id, const char *typed, bool cancel = false) {
    g_name_to_type = typed;
    g_cancel_name = cancel;
    SetTimer(nullptr, 0, 30, AnswerNameDialog);
    SendMessageA(list_dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void Select(HWND list_dialog, const char *name) {
    SendDlgItemMessageA(list_dialog, IDC_NAMES, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(name));
}

TEST_F(DialogTest, TheNameListAddsEditsAndDeletesAndKeepsTheNameBoxWhole) {
    Open();
    SetDlgItemTextA(dialog, IDC_NAME_BOX, "bob");
    HWND list = OpenDialog(IDD_NAME_LIST, NameListDialogProc, dialog);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(Lines({"carl", "bob"}), BoxLines(list, IDC_NAMES, false));

    PressWithNameDialog(list, IDC_ADD, "dave");
    EXPECT_EQ(1, g_name_dialogs_seen);
    EXPECT_EQ("bob%carl%dave%", StoredNames());
    EXPECT_STREQ("bob%carl%dave%", program.settings.names);
    Lines lines = BoxLines(list, IDC_NAMES, false);
    EXPECT_EQ(3u, lines.size());
    EXPECT_EQ(Lines({"Ann", "bob", "carl", "dave"}), BoxLines(dialog, IDC_NAME_BOX, true));
    EXPECT_EQ("bob", DialogText(dialog, IDC_NAME_BOX));

    // Add, then Cancel in the name dialog: nothing changes, nothing shown.
    PressWithNameDialog(list, IDC_ADD, "", /*cancel=*/true);
    EXPECT_EQ(2, g_name_dialogs_seen);
    EXPECT_EQ("bob%carl%dave%", StoredNames());
    EXPECT_EQ(3u, BoxLines(list, IDC_NAMES, false).size());
    EXPECT_TRUE(recorder.asked.empty());

    // A refused name leaves the list box alone.
    PressWithNameDialog(list, IDC_ADD, "carl");
    ASSERT_EQ(1u, recorder.asked.size());
    EXPECT_EQ("That user already exists.", recorder.asked[0].text);
    EXPECT_EQ(3u, BoxLines(list, IDC_NAMES, false).size());

    Select(list, "carl");
    PressWithNameDialog(list, IDC_EDIT, "Carla");
    EXPECT_EQ("bob%Carla%dave%", StoredNames());
    lines = BoxLines(list, IDC_NAMES, false);
    EXPECT_EQ(3u, lines.size());
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "Carla"));
    EXPECT_EQ(lines.end(), std::find(lines.begin(), lines.end(), "carl"));

    // Editing to an empty name removes it.
    Select(list, "dave");
    PressWithNameDialog(list, IDC_EDIT, "");
    EXPECT_EQ("bob%Carla%", StoredNames());
    EXPECT_EQ(2u, BoxLines(list, IDC_NAMES, false).size());

    // Delete asks; No keeps, Yes removes.
    recorder.asked.clear();
    Select(list, "bob");
    recorder.answers = {AlertAnswer::No};
    SendMessageA(list, WM_COMMAND, IDC_DELETE, 0);
    ASSERT_EQ(1u, recorder.asked.size());
    EXPECT_EQ("Delete user: bob", recorder.asked[0].text);
    EXPECT_EQ("In/Out Delete Name", recorder.asked[0].caption);
    EXPECT_EQ("bob%Carla%", StoredNames());
    recorder.answers = {AlertAnswer::Yes};
    SendMessageA(list, WM_COMMAND, IDC_DELETE, 0);
    EXPECT_EQ("Carla%", StoredNames());
    EXPECT_EQ(Lines({"Carla"}), BoxLines(list, IDC_NAMES, false));

    // Nothing selected: Edit and Delete do nothing.
    SendDlgItemMessageA(list, IDC_NAMES, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    size_t shown = recorder.asked.size();
    SendMessageA(list, WM_COMMAND, IDC_DELETE, 0);
    EXPECT_EQ(shown, recorder.asked.size());

    // Escape does not close the list; the member's pick survived it all.
    SendMessageA(list, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(list));
    EXPECT_EQ(Lines({"Ann", "Carla"}), BoxLines(dialog, IDC_NAME_BOX, true));
    EXPECT_EQ("bob", DialogText(dialog, IDC_NAME_BOX));
    DestroyWindow(list);
}

// What is done to each dialog a press opens, once it shows (the first
// opened last in the list).
struct Awaited {
    std::string caption;
    std::function<void(HWND)> act;
};
std::vector<Awaited> g_awaited;
int g_awaited_ticks;

BOOL CALLBACK FindAwaited(HWND window, LPARAM found) {
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (g_awaited.back().caption != caption || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

// A dialog that does not show, or does not close, within seconds fails the
// test, and every dialog of the press is closed so that the test ends.
BOOL CALLBACK CloseClientDialog(HWND window, LPARAM) {
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strncmp(caption, "KVT In/Out", 10) == 0) EndDialog(window, 0);
    return TRUE;
}

void CALLBACK ActOnAwaited(HWND, UINT, UINT_PTR, DWORD) {
    if (++g_awaited_ticks > 200) {
        ADD_FAILURE() << (g_awaited.empty() ? "a dialog did not close"
                                            : "no dialog " + g_awaited.back().caption);
        g_awaited.clear();
        g_awaited_ticks = 0;
        EnumThreadWindows(GetCurrentThreadId(), CloseClientDialog, 0);
        return;
    }
    if (g_awaited.empty()) return;
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAwaited, reinterpret_cast<LPARAM>(&found));
    if (!found) return;
    Awaited next = g_awaited.back();
    g_awaited.pop_back();
    g_awaited_ticks = 0;
    next.act(found);
}

// Presses id in window; the dialogs it opens (modal) are acted on in turn.
void PressAwaiting(HWND window, int id, std::vector<Awaited> acts) {
    g_awaited.assign(acts.rbegin(), acts.rend());
    g_awaited_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, ActOnAwaited);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_awaited.empty());
}

TEST_F(DialogTest, TheDialogsOpenedFromTheSignInDialogWorkOnItsProgram) {
    Open();
    std::strcpy(program.auto_destination, "Home");
    std::string user, destination;
    PressAwaiting(dialog, IDC_OPTIONS,
                  {{"KVT In/Out Options",
                    [&](HWND options) {
                        user = DialogText(options, IDC_OPT_USER_NAME);
                        SendMessageA(options, WM_COMMAND, IDC_OPT_AUTO, 0);
                        SetDlgItemTextA(options, IDC_OPT_SERVER, "board");
                        PostMessageA(options, WM_COMMAND, IDOK, 0);
                    }},
                   {"KVT In/Out Automatic", [&](HWND automatic) {
                        destination = DialogText(automatic, IDC_AUTO_DESTINATION);
                        PostMessageA(automatic, WM_COMMAND, IDCANCEL, 0);
                    }}});
    EXPECT_EQ("Ann", user);
    EXPECT_EQ("Home", destination);
    EXPECT_STREQ("board", program.settings.server);

    Lines listed;
    PressAwaiting(dialog, IDC_NAME_LIST, {{"KVT In/Out Name List", [&](HWND list) {
                                               listed = BoxLines(list, IDC_NAMES, false);
                                               PostMessageA(list, WM_COMMAND, IDOK, 0);
                                           }}});
    EXPECT_EQ(Lines({"carl", "bob"}), listed);
    EXPECT_TRUE(recorder.asked.empty());
}

// The header of the image the icon resource id holds for size x size.
const BITMAPINFOHEADER *IconImage(int id, int size) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14)); // group icon
    if (!group) return nullptr;
    auto *directory = static_cast<BYTE *>(LockResource(LoadResource(module, group)));
    int image_id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(image_id), MAKEINTRESOURCEA(3)); // icon
    if (!image) return nullptr;
    return static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(module, image)));
}

TEST(ClientIconTest, EverySizeIsDrawnAndTheSizeLoadedFollowsTheDpi) {
    for (int id : {IDI_SIGNED_IN, IDI_SIGNED_OUT, IDI_PROGRAM})
        for (int size : {16, 20, 24, 32, 48}) {
            const BITMAPINFOHEADER *header = IconImage(id, size);
            ASSERT_NE(nullptr, header) << id << " " << size;
            EXPECT_EQ(size, header->biWidth) << id; // its own image, not another's scaled
            EXPECT_EQ(32, header->biBitCount) << id << " " << size;
        }
    const int scales[][2] = {{96, 16}, {144, 24}, {192, 32}};
    for (const auto &scale : scales) {
        int size = SmallIconSizeForDpi(static_cast<unsigned>(scale[0]));
        EXPECT_EQ(scale[1], size) << scale[0] << " DPI";
        HICON icon = LoadClientIcon(GetModuleHandleA(nullptr), IDI_SIGNED_IN, size);
        ASSERT_NE(nullptr, icon);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(size, bitmap.bmWidth) << scale[0] << " DPI";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

} // namespace
