#include "client/auto_sign.h"

void AutoSigner::SetOptions(const AutoOptions &options) {
    options_ = options;
    stopped_ = false;
    if (!options_.sign_in) retries_left_ = 0;
}

AutoRequest AutoSigner::At(SessionMoment moment) {
    at_logon_ = false;
    retries_left_ = 0;
    if (stopped_) return AutoRequest::None;
    switch (moment) {
    case SessionMoment::Start:
        if (!options_.sign_in) return AutoRequest::None;
        at_logon_ = true;
        retries_left_ = kLogonRetries;
        return AutoRequest::SignIn;
    case SessionMoment::Unlock:
        return options_.sign_in ? AutoRequest::SignIn : AutoRequest::None;
    case SessionMoment::Lock:
    case SessionMoment::End:
        return options_.sign_out ? AutoRequest::SignOut : AutoRequest::None;
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
