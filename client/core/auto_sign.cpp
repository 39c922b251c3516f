#include "client/core/auto_sign.h"

void AutoSigner::SetOptions(const AutoOptions &options) {
    options_ = options;
    stopped_ = false;
    if (!options_.sign_in) {
        retries_left_ = 0;
        waiting_for_unlock_ = false;
    }
}

AutoRequest AutoSigner::SignInAtLogon() {
    at_logon_ = true;
    retries_left_ = kLogonRetries;
    return AutoRequest::SignIn;
}

AutoRequest AutoSigner::At(SessionMoment moment, SessionProbe &session) {
    at_logon_ = false;
    retries_left_ = 0;
    if (stopped_) return AutoRequest::None;
    switch (moment) {
    case SessionMoment::Start:
        if (!options_.sign_in) return AutoRequest::None;
        // Nobody is at the desk (an update restart's automatic logon), or
        // the member is elsewhere: the sign-in waits for them.
        if (session.Locked() || session.Remote()) {
            waiting_for_unlock_ = true;
            return AutoRequest::None;
        }
        return SignInAtLogon();
    case SessionMoment::Unlock:
        if (!options_.sign_in || session.Remote()) return AutoRequest::None;
        if (waiting_for_unlock_) {
            waiting_for_unlock_ = false;
            return SignInAtLogon();
        }
        return AutoRequest::SignIn;
    case SessionMoment::Lock:
    case SessionMoment::End:
        // A member already out keeps their destination and return time.
        return options_.sign_out && board_ == BoardState::In ? AutoRequest::SignOut
                                                             : AutoRequest::None;
    }
    return AutoRequest::None;
}

bool AutoSigner::Concluded(AutoVerdict verdict) {
    if (verdict == AutoVerdict::UnknownName) stopped_ = true;
    if (verdict != AutoVerdict::Unreachable || !at_logon_ || stopped_) {
        at_logon_ = false;
        retries_left_ = 0;
        return false;
    }
    return retries_left_ > 0;
}

AutoRequest AutoSigner::RetryDue() {
    if (!at_logon_ || retries_left_ <= 0 || stopped_ || !options_.sign_in) return AutoRequest::None;
    --retries_left_;
    return AutoRequest::SignIn;
}

AutoRequest AutoSigner::MemberRequestEnded(bool done, bool signed_in) {
    AutoRequest waiting = deferred_;
    deferred_ = AutoRequest::None;
    if (done && waiting == (signed_in ? AutoRequest::SignIn : AutoRequest::SignOut))
        return AutoRequest::None;
    return waiting;
}
