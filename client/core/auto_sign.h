// When the client signs its member in and out by itself: which request
// each moment of the session sends under the member's two options and
// where the member last stood on the board, the retries of a sign-in that
// failed at logon, the stop after a name the server does not know, and an
// automatic request that waits behind the member's own. Portable: what the
// session is like (locked, remote) comes through a small probe handed in.
#pragma once

enum class SessionMoment {
    Start,  // the client started (it starts at logon)
    Unlock, // the member unlocked the session
    Lock,   // the member locked it
    End,    // log-off or shut-down
};

enum class AutoRequest { None, SignIn, SignOut };

// The verdict of an automatic request.
enum class AutoVerdict { Done, Unreachable, UnknownName };

// Where the member stands on the board by the server's last "0" for their
// own name: unknown until one came.
enum class BoardState { Unknown, In, Out };

struct AutoOptions {
    bool sign_in = false;  // "Sign me in when I log on or unlock"
    bool sign_out = false; // "Sign me out when I lock, log off or shut down"
};

// What the session is like at the moment it is asked.
class SessionProbe {
  public:
    virtual ~SessionProbe() = default;
    // The session shows the lock screen.
    virtual bool Locked() = 0;
    // The session is used from another machine (Remote Desktop and the like).
    virtual bool Remote() = 0;
};

// Tries of a sign-in that failed at logon, one a minute.
constexpr int kLogonRetries = 10;

class AutoSigner {
  public:
    // New options or a new name: requests may go again.
    void SetOptions(const AutoOptions &options);
    void NameChanged() { stopped_ = false; }
    const AutoOptions &Options() const { return options_; }
    bool Stopped() const { return stopped_; }

    // The request a moment sends (None when its option is off, or after a
    // name the server did not know). A new moment ends the logon retries.
    // A start in a locked or remote session signs in at the first unlock at
    // the machine itself instead; an unlock from another machine signs
    // nobody in. Lock and end sign out only a member last seen in.
    AutoRequest At(SessionMoment moment, SessionProbe &session);
    // The verdict of the request At answered. Returns true when a retry
    // of it is due in a minute.
    bool Concluded(AutoVerdict verdict);
    // The minute is up: the request to try again, or None.
    AutoRequest RetryDue();
    int RetriesLeft() const { return retries_left_; }
    // The start's sign-in waits for an unlock at the machine.
    bool WaitingForUnlock() const { return waiting_for_unlock_; }

    // The server answered "0" to a request for the member's own name.
    void Confirmed(bool signed_in) { board_ = signed_in ? BoardState::In : BoardState::Out; }
    BoardState Board() const { return board_; }

    // An automatic request that came while the member's own was under way
    // waits behind it (a later one takes its place).
    void Defer(AutoRequest request) { deferred_ = request; }
    AutoRequest Deferred() const { return deferred_; }
    // The member's own request ended: the waiting request to send now, or
    // None when the member's request already put them where it would.
    AutoRequest MemberRequestEnded(bool done, bool signed_in);

  private:
    AutoRequest SignInAtLogon();

    AutoOptions options_;
    bool stopped_ = false;
    bool at_logon_ = false; // the open request is the logon sign-in (or its retry)
    int retries_left_ = 0;
    bool waiting_for_unlock_ = false;
    BoardState board_ = BoardState::Unknown;
    AutoRequest deferred_ = AutoRequest::None;
};
