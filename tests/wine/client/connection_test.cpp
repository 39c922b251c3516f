// The client's request against a scripted server on 127.0.0.1: the line it
// sends, and what the member is shown for each kind of answer.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "client/shell/client_program.h"
#include "client/shell/request_exchange.h"
#include "client/shell/session_window.h"
#include "client/shell/shown_state.h"
#include "client/shell/dialogs.h"
#include "client/shell/wenlo_ids.h"
#include "tests/wine/client/client_harness.h"

namespace {

const char kCannotConnect[] = "Can not connnect to server.  Try again later.";
const char kInvalidName[] = "That User Name is not valid.\n\r If you are sure you spelled the "
                            "name correctly, contact your network administrator.";

// A socket bound to a free port of 127.0.0.1; the port in *port.
SOCKET BindFreePort(unsigned short *port) {
    SOCKET bound = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(bound, reinterpret_cast<sockaddr *>(&address), sizeof address);
    int length = sizeof address;
    getsockname(bound, reinterpret_cast<sockaddr *>(&address), &length);
    *port = ntohs(address.sin_port);
    return bound;
}

// One connection: reads the request line, sends the reply in the given
// pieces (a pause between them), then closes, or, when hold is set, waits
// for the client to close first.
class FakeServer {
  public:
    explicit FakeServer(std::vector<std::string> pieces, bool hold = false)
        : pieces_(std::move(pieces)), hold_(hold) {
        WSADATA data;
        WSAStartup(0x0202, &data);
        listener_ = BindFreePort(&port_);
        listen(listener_, 5);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeServer() {
        stop_ = true;
        closesocket(listener_);
        if (thread_.joinable()) thread_.join();
        WSACleanup();
    }
    unsigned short port() const { return port_; }
    std::string line() const { return finished_ ? line_ : "<not finished>"; }
    bool accepted() const { return accepted_; }
    bool finished() const { return finished_; }
    bool client_closed() const { return client_closed_; }

  private:
    void Serve() {
        SOCKET connection = accept(listener_, nullptr, nullptr);
        if (connection == INVALID_SOCKET) return;
        accepted_ = true;
        DWORD timeout = 10000;
        setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&timeout),
                   sizeof timeout);
        char buffer[512];
        std::string got;
        while (got.find("\n\r") == std::string::npos) {
            int n = recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            got.append(buffer, n);
        }
        line_ = got;
        for (size_t i = 0; i < pieces_.size(); ++i) {
            if (i > 0) Sleep(150);
            send(connection, pieces_[i].data(), static_cast<int>(pieces_[i].size()), 0);
        }
        if (hold_) {
            // Until the client gives up the connection (or 10 seconds).
            int n = recv(connection, buffer, sizeof buffer, 0);
            client_closed_ = n == 0 || (n == SOCKET_ERROR && WSAGetLastError() != WSAETIMEDOUT);
        }
        finished_ = true;
        shutdown(connection, SD_BOTH);
        closesocket(connection);
    }

    std::vector<std::string> pieces_;
    bool hold_;
    SOCKET listener_;
    unsigned short port_ = 0;
    std::thread thread_;
    std::string line_;
    std::atomic<bool> accepted_{false}, finished_{false}, client_closed_{false}, stop_{false};
};

class ConnectionTest : public ClientTest {
  protected:
    void SetUp() override {
        ClientTest::SetUp();
        if (HasFatalFailure()) return;
        std::strcpy(program.settings.user_name, "Ann");
        std::strcpy(program.settings.current_name, "Ann");
        std::strcpy(program.settings.server, "127.0.0.1");
        dialog = OpenSignInDialog();
        ASSERT_NE(nullptr, dialog);
    }

    void UsePort(unsigned short port) {
        std::snprintf(program.settings.port, sizeof program.settings.port, "%u", port);
    }

    void SignOut(const char *name, const char *time, const char *destination, const char *back) {
        CheckDlgButton(dialog, IDC_SIGN_IN, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_SIGN_OUT, BST_CHECKED);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SIGN_OUT, BN_CLICKED), 0);
        SetDlgItemTextA(dialog, IDC_NAME_BOX, name);
        SetDlgItemTextA(dialog, IDC_OUT_TIME, time);
        SetDlgItemTextA(dialog, IDC_DESTINATION, destination);
        SetDlgItemTextA(dialog, IDC_RETURN_TIME, back);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    void SignIn(const char *name, const char *time) {
        SetDlgItemTextA(dialog, IDC_NAME_BOX, name);
        SetDlgItemTextA(dialog, IDC_IN_TIME, time);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    }
    // Waits until the request has ended and a little longer, so that a
    // second message, were there one, would show.
    void WaitForEnd(int timeout_ms = 15000) {
        ASSERT_TRUE(PumpUntil([this] { return !program.connection.machine.Open(); }, timeout_ms));
        PumpFor(300);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (auto &shown : recorder.asked) texts.push_back(shown.text);
        return texts;
    }

    HWND dialog = nullptr;
};

using Lines = std::vector<std::string>;

TEST_F(ConnectionTest, ZeroIsDoneSilentlyAndTheLineCarriesEveryField) {
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    SignOut("Ann", "12:00", "Lunch", "13:00");
    EXPECT_FALSE(IsWindowVisible(dialog));
    WaitForEnd();
    EXPECT_EQ("#oAnn-12:00-Lunch-13:00\n\r", server.line());
    EXPECT_TRUE(recorder.asked.empty());
    EXPECT_EQ(INVALID_SOCKET, program.connection.socket);
    EXPECT_STREQ("Ann", program.settings.current_name);
}

TEST_F(ConnectionTest, EmptyFieldsGoAsSpacesAndDashesNeverSplitAField) {
    {
        FakeServer server({"0\n\r"});
        UsePort(server.port());
        SignIn("Ann", "");
        WaitForEnd();
        EXPECT_EQ("#iAnn- \n\r", server.line());
    }
    {
        FakeServer server({"0\n\r"});
        UsePort(server.port());
        SignOut("Ann", "12-00", "Out-of-town", "");
        WaitForEnd();
        EXPECT_EQ("#oAnn-12 00-Out of town- \n\r", server.line());
    }
    EXPECT_TRUE(recorder.asked.empty());
}

TEST_F(ConnectionTest, ANameHoldingADashIsRefusedAndNothingIsSent) {
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    SignIn("Ann-Marie", "9:00am");
    PumpFor(500);
    ASSERT_EQ(1u, recorder.asked.size());
    EXPECT_EQ("A name cannot contain \"-\".", recorder.asked[0].text);
    EXPECT_EQ("Invalid Name", recorder.asked[0].caption);
    EXPECT_FALSE(server.accepted());
    EXPECT_FALSE(program.connection.machine.Open());
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(ConnectionTest, OneIsTheInvalidNameMessageOnceWholeInPiecesOrWithTheClose) {
    const std::vector<std::vector<std::string>> replies = {
        {"1\n\r"}, {"1", "\n", "\r"}, {"1"}, {"1\n"}};
    for (auto &reply : replies) {
        recorder.asked.clear();
        FakeServer server(reply);
        UsePort(server.port());
        SignIn("Nobody", "9:00am");
        WaitForEnd();
        ASSERT_EQ(1u, recorder.asked.size()) << "reply in " << reply.size() << " pieces";
        EXPECT_EQ("That User Name is not valid.\n\r If you are sure you spelled the name "
                  "correctly, contact your network administrator.",
                  recorder.asked[0].text);
        EXPECT_EQ("Invalid Name", recorder.asked[0].caption);
        EXPECT_EQ("#iNobody-9:00am\n\r", server.line());
    }
}

TEST_F(ConnectionTest, TwoBytesDecideNothingAndAnEndWithoutReplyIsAFailureShownOnce) {
    {
        // Two bytes while the connection stays open: nothing yet.
        program.connection_wait_ms = 1500;
        FakeServer server({"\n\r"}, /*hold=*/true);
        UsePort(server.port());
        SignIn("Ann", "9:00am");
        PumpFor(700);
        EXPECT_TRUE(program.connection.machine.Open());
        EXPECT_TRUE(recorder.asked.empty());
        WaitForEnd();
        EXPECT_EQ(Lines({kCannotConnect}), Texts());
    }
    {
        // Two bytes and the close.
        recorder.asked.clear();
        FakeServer server({"\n\r"});
        UsePort(server.port());
        SignIn("Ann", "9:00am");
        WaitForEnd();
        EXPECT_EQ(Lines({kCannotConnect}), Texts());
        EXPECT_EQ("ERROR", recorder.asked[0].caption);
    }
}

TEST_F(ConnectionTest, ACloseWithoutReplyIsAFailureShownOnce) {
    FakeServer server({});
    UsePort(server.port());
    SignOut("Ann", "12:00", "Lunch", "13:00");
    WaitForEnd();
    EXPECT_EQ("#oAnn-12:00-Lunch-13:00\n\r", server.line());
    EXPECT_EQ(Lines({kCannotConnect}), Texts());
}

TEST_F(ConnectionTest, ARefusedConnectionIsAFailedConnectionNotASendError) {
    // A port that was just free: nothing listens there.
    WSADATA data;
    WSAStartup(0x0202, &data);
    unsigned short port = 0;
    closesocket(BindFreePort(&port));
    WSACleanup();
    ASSERT_NE(0, port);
    UsePort(port);
    SignIn("Ann", "9:00am");
    WaitForEnd();
    EXPECT_EQ(Lines({kCannotConnect}), Texts());
    // Shown while the dialog is hidden: it comes to the front.
    EXPECT_TRUE(recorder.asked[0].to_front);
}

TEST_F(ConnectionTest, AnUnknownHostFailsOnce) {
    std::strcpy(program.settings.server, "no-such-host.invalid");
    UsePort(223);
    SignIn("Ann", "9:00am");
    WaitForEnd();
    EXPECT_EQ(Lines({kCannotConnect}), Texts());
}

TEST_F(ConnectionTest, AServerThatNeverAnswersFailsOnceWhenTheWaitRunsOut) {
    program.connection_wait_ms = 700;
    FakeServer server({}, /*hold=*/true);
    UsePort(server.port());
    DWORD start = GetTickCount();
    SignIn("Ann", "9:00am");
    WaitForEnd(10000);
    DWORD took = GetTickCount() - start;
    EXPECT_EQ(Lines({kCannotConnect}), Texts());
    EXPECT_GE(took, 600u);
    // The client gave the connection up.
    EXPECT_TRUE(PumpUntil([&] { return server.finished(); }, 10000));
    EXPECT_TRUE(server.client_closed());
}

TEST_F(ConnectionTest, ASecondOkGivesUpTheEarlierRequestQuietly) {
    FakeServer slow({}, /*hold=*/true);
    FakeServer quick({"0\n\r"});
    UsePort(slow.port());
    SignIn("Ann", "9:00am");
    ASSERT_TRUE(PumpUntil(
        [&] { return program.connection.machine.State() == RequestState::AwaitingReply; }, 10000));
    UsePort(quick.port());
    SignIn("Ann", "9:05am");
    WaitForEnd();
    EXPECT_TRUE(PumpUntil([&] { return slow.finished(); }, 10000));
    EXPECT_TRUE(slow.client_closed());
    EXPECT_EQ("#iAnn-9:00am\n\r", slow.line());
    EXPECT_EQ("#iAnn-9:05am\n\r", quick.line());
    EXPECT_TRUE(recorder.asked.empty());
}

TEST_F(ConnectionTest, OptionsOkThenOkSendsTheNewName) {
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    HWND options = OpenDialog(IDD_OPTIONS, OptionsDialogProc);
    ASSERT_NE(nullptr, options);
    SetDlgItemTextA(options, IDC_OPT_USER_NAME, "Beth");
    SendMessageA(options, WM_COMMAND, IDOK, 0);
    DestroyWindow(options);
    EXPECT_EQ("Beth", DialogText(dialog, IDC_NAME_BOX));
    auto listed = [&](const char *name) {
        return SendDlgItemMessageA(dialog, IDC_NAME_BOX, CB_FINDSTRINGEXACT,
                                   static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(name)) != CB_ERR;
    };
    EXPECT_TRUE(listed("Beth"));
    EXPECT_FALSE(listed("Ann"));
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    WaitForEnd();
    EXPECT_EQ("#iBeth-9:07am\n\r", server.line());
}

class AutoSignTest : public ConnectionTest {
  protected:
    void SetUp() override {
        ConnectionTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(CreateHiddenWindow(program));
        program.auto_signer.SetOptions({true, true});
        program.auto_signer.Confirmed(true); // the member is in, as after a sign-in
        std::strcpy(program.auto_destination, "Home");
        SendMessageA(dialog, WM_COMMAND, 3, 0); // hidden, as after an OK
    }
    void Session(WPARAM change) {
        SendMessageA(program.hidden_window, WM_WTSSESSION_CHANGE, change, 0);
    }
};

TEST_F(AutoSignTest, LockSignsOutAndUnlockSignsInWithoutShowingAnything) {
    {
        FakeServer server({"0\n\r"});
        UsePort(server.port());
        Session(WTS_SESSION_LOCK);
        WaitForEnd();
        EXPECT_EQ("#oAnn-9:07am-Home- \n\r", server.line());
        EXPECT_EQ(IDI_SIGNED_OUT, program.tray.icon_id);
        EXPECT_STREQ("9:07am", program.tray.tip);
    }
    clock.time = {13, 30, 0};
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    Session(WTS_SESSION_UNLOCK);
    WaitForEnd();
    EXPECT_EQ("#iAnn-1:30pm\n\r", server.line());
    EXPECT_EQ(IDI_SIGNED_IN, program.tray.icon_id);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(recorder.asked.empty());
}

TEST_F(AutoSignTest, WithTheOptionsOffNothingIsSent) {
    program.auto_signer.SetOptions({false, false});
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    Session(WTS_SESSION_LOCK);
    Session(WTS_SESSION_UNLOCK);
    PumpFor(500);
    EXPECT_FALSE(server.accepted());
    EXPECT_FALSE(program.connection.machine.Open());
    // The end-session query asks as before: held up while Sign In is chosen.
    DWORD_PTR answer = 99;
    ASSERT_TRUE(SendMessageTimeoutA(program.hidden_window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                    SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(FALSE, static_cast<BOOL>(answer));
}

TEST_F(AutoSignTest, TheEndOfTheSessionGoesAheadAndSignsOutWithinTheBound) {
    {
        FakeServer server({"0\n\r"});
        UsePort(server.port());
        DWORD_PTR answer = 99;
        ASSERT_TRUE(SendMessageTimeoutA(program.hidden_window, WM_QUERYENDSESSION, 0,
                                        ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer));
        EXPECT_EQ(TRUE, static_cast<BOOL>(answer));
        EXPECT_TRUE(reason.calls.empty()); // no reason, no question
        SendMessageA(program.hidden_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        // The reply was waited for before WM_ENDSESSION returned.
        EXPECT_EQ("#oAnn-9:07am-Home- \n\r", server.line());
    }
    // A server that never answers holds the end for the bound only.
    program.auto_signer.Confirmed(true); // signed in again since
    program.end_session_wait_ms = 700;
    FakeServer silent({}, /*hold=*/true);
    UsePort(silent.port());
    DWORD start = GetTickCount();
    SendMessageA(program.hidden_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 600u);
    EXPECT_LT(took, 5000u);
    EXPECT_TRUE(recorder.asked.empty());
}

TEST_F(AutoSignTest, ARefusedConnectionIsToldInTheTipAndNoBox) {
    WSADATA data;
    WSAStartup(0x0202, &data);
    unsigned short port = 0;
    closesocket(BindFreePort(&port));
    WSACleanup();
    UsePort(port);
    Session(WTS_SESSION_UNLOCK);
    WaitForEnd();
    EXPECT_STREQ("Not signed in: server not reachable", program.tray.tip);
    EXPECT_TRUE(recorder.asked.empty());
    EXPECT_FALSE(IsWindowVisible(dialog));
}

TEST_F(AutoSignTest, ANameTheServerDoesNotKnowStopsTheNextAutomaticRequest) {
    {
        FakeServer server({"1\n\r"});
        UsePort(server.port());
        Session(WTS_SESSION_UNLOCK);
        WaitForEnd();
        EXPECT_STREQ("Not signed in: name not on the board", program.tray.tip);
    }
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    Session(WTS_SESSION_LOCK);
    PumpFor(500);
    EXPECT_FALSE(server.accepted());
    EXPECT_TRUE(recorder.asked.empty());
}

TEST_F(AutoSignTest, AtStartUpTheSignInGoesAndTheDialogStaysHidden) {
    CloseSignInDialog();
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    dialog = OpenSignInDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowVisible(dialog));
    WaitForEnd();
    EXPECT_EQ("#iAnn-9:07am\n\r", server.line());
    // A click on the icon still opens it.
    SendMessageA(dialog, MSG_TRAY_ICON, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(AutoSignTest, TheMembersOkOverAnAutomaticRequestIsTheirsAnsweredInABox) {
    FakeServer slow({}, /*hold=*/true);
    UsePort(slow.port());
    Session(WTS_SESSION_UNLOCK);
    ASSERT_TRUE(PumpUntil(
        [&] { return program.connection.machine.State() == RequestState::AwaitingReply; }, 10000));
    {
        FakeServer server({"1\n\r"});
        UsePort(server.port());
        SignIn("Anna", "9:05am");
        WaitForEnd();
        EXPECT_EQ("#iAnna-9:05am\n\r", server.line());
        EXPECT_EQ(Lines({kInvalidName}), Texts());
    }
    // The member's "1" does not stop the automatic requests.
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    Session(WTS_SESSION_UNLOCK);
    WaitForEnd();
    EXPECT_EQ("#iAnn-9:07am\n\r", server.line());
}

TEST_F(AutoSignTest, TheMembersSignOutIsNeverOverwrittenByTheLock) {
    {
        FakeServer server({"0\n\r"});
        UsePort(server.port());
        SignOut("Ann", "12:00", "Lunch", "13:00");
        Session(WTS_SESSION_LOCK); // while the member's request is under way
        WaitForEnd();
        EXPECT_EQ("#oAnn-12:00-Lunch-13:00\n\r", server.line());
    }
    EXPECT_FALSE(program.connection.machine.Open());
    EXPECT_EQ(IDI_SIGNED_OUT, program.tray.icon_id);
    EXPECT_STREQ("12:00", program.tray.tip);
    // Already out: a later lock and the end of the session send nothing.
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    Session(WTS_SESSION_LOCK);
    SendMessageA(program.hidden_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    PumpFor(500);
    EXPECT_FALSE(server.accepted());
    EXPECT_TRUE(recorder.asked.empty());
}

TEST_F(AutoSignTest, ALockedStartSignsInAtTheUnlockAtTheMachineOnly) {
    CloseSignInDialog();
    FakeServer server({"0\n\r"});
    UsePort(server.port());
    session.locked = true;
    dialog = OpenSignInDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowVisible(dialog));
    PumpFor(300);
    session.locked = false;
    session.remote = true; // unlocked over Remote Desktop
    Session(WTS_SESSION_UNLOCK);
    PumpFor(300);
    EXPECT_FALSE(server.accepted());
    EXPECT_FALSE(program.connection.machine.Open());
    session.remote = false;
    Session(WTS_SESSION_UNLOCK);
    WaitForEnd();
    EXPECT_EQ("#iAnn-9:07am\n\r", server.line());
}

} // namespace
