// When the client signs its member in and out by itself: which request
// each moment of the session sends under the member's two options, the
// retries of a sign-in that failed at logon, and the stop after a name the
// server does not know. Portable.
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

struct AutoOptions {
    bool sign_in = false;  // "Sign me in when I log on or unlock"
    bool sign_out = false; // "Sign me out when I lock, log off or shut down"
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
    AutoRequest At(SessionMoment moment);
    // The verdict of the request At answered. Returns true when a retry
    // of it is due in a minute.
    bool Concluded(AutoVerdict verdict);
    // The minute is up: the request to try again, or None.
    AutoRequest RetryDue();
    int RetriesLeft() const { return retries_left_; }

  private:
    AutoOptions options_;
    bool stopped_ = false;
    bool at_logon_ = false; // the open request is the logon sign-in (or its retry)
    int retries_left_ = 0;
};
