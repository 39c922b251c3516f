#include "server/web/web_exchange.h"

#include "server/web/web_guard.h"

namespace {

bool NamesThisServer(const std::string &host, const WebContent &content) {
    static const std::vector<std::string> local = ServerHostNames({}, nullptr);
    return HostIsOurs(host, content.hosts ? *content.hosts : local);
}

} // namespace

void WebExchange::Reset() {
    reader_.Reset();
    reply_.clear();
    sent_ = 0;
    peer_closed_ = false;
    phase_ = Phase::Reading;
}

void WebExchange::Received(const char *bytes, size_t size, const WebContent &content) {
    if (phase_ != Phase::Reading) return;
    if (reader_.Feed(bytes, size)) Answer(content);
}

void WebExchange::PeerClosed(const WebContent &content) {
    peer_closed_ = true;
    if (phase_ == Phase::Reading) {
        if (reader_.Total() == 0) {
            phase_ = Phase::Done;
            return;
        }
        reader_.Finish();
        Answer(content);
    } else if (phase_ == Phase::Draining) {
        phase_ = Phase::Done;
    }
}

void WebExchange::Sent(size_t n) {
    if (phase_ != Phase::Sending) return;
    sent_ += n < UnsentSize() ? n : UnsentSize();
    if (UnsentSize() == 0) phase_ = peer_closed_ ? Phase::Done : Phase::Draining;
}

void WebExchange::Reply(const std::string &reply) {
    if (phase_ != Phase::Handover) return;
    reply_ = reply;
    sent_ = 0;
    phase_ = Phase::Sending;
}

void WebExchange::Answer(const WebContent &content) {
    // A request that does not name this server in its Host (a page of
    // another site that a name of its own was pointed at) learns nothing.
    int status = reader_.Status();
    if (status != 400 && status != 431 && !NamesThisServer(reader_.Headers().host, content)) {
        reply_.clear();
        AppendHttpErrorReply(reply_, 421, reader_.HeadOnly());
        sent_ = 0;
        phase_ = Phase::Sending;
        return;
    }
    HttpResource resource = reader_.Resource();
    // The board's page, its live form and its feed are answered here; the
    // rest (the event stream, a sign-in, the routes' requests) by the caller.
    if (reader_.Status() == 200 && resource != HttpResource::Page &&
        resource != HttpResource::Live && resource != HttpResource::Feed) {
        phase_ = Phase::Handover;
        return;
    }
    reply_.clear();
    AppendHttpReply(reply_, reader_, content);
    sent_ = 0;
    phase_ = Phase::Sending;
}
