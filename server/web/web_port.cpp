#include "server/web/web_port.h"

#include <algorithm>

#include "common/ansi_text.h"
#include "common/clock.h"
#include "common/code_page.h"
#include "server/board/server_settings.h"
#include "server/publish/publisher.h"
#include "server/web/event_stream.h"
#include "server/web/web_guard.h"
#include "server/web/web_sign.h"

namespace {

// Whether a web peer has sent more than its request declared: once the
// head has ended, only the body its Content-Length gave may follow (a
// GET's head is all there is). A request refused before its head ended
// (unreadable, or too long) is read and dropped until the deadline.
bool PastRequest(const HttpRequestReader &request, size_t received) {
    if (!request.Done() || request.Status() == 400 || request.Status() == 431) return false;
    size_t declared = request.Total();
    const HttpHeaders &headers = request.Headers();
    // A body the reader did not take (its request refused) may still come.
    if (request.Status() != 200 && headers.content_length > 0 && !headers.chunked)
        declared += static_cast<size_t>(headers.content_length);
    return received > declared;
}

// One connection of the web pool: its exchange, answered from the port.
class WebConnection : public ConnectionExchange {
  public:
    WebConnection(WebPort &port, const std::string &peer) : port_(port), peer_(peer) {}

    void Received(const char *bytes, size_t size) override {
        web_.Received(bytes, size, port_.Content());
    }
    void PeerClosed() override { web_.PeerClosed(port_.Content()); }
    bool SentPastRequest(size_t received) const override {
        return PastRequest(web_.Request(), received);
    }
    Phase phase() const override { return web_.phase(); }
    const char *Unsent() const override { return web_.Unsent(); }
    size_t UnsentSize() const override { return web_.UnsentSize(); }
    void Sent(size_t n) override { web_.Sent(n); }
    Turn TakeOver(std::uint64_t now) override { return port_.TakeOver(web_, peer_, now); }
    void Answered(const std::string &handler_reply) override {
        web_.Reply(WebSignReply(handler_reply));
    }
    // An address at its share of the watchers, or a full pool with no
    // address holding more: the page tries again later.
    void NoStream() override {
        std::string reply;
        AppendHttpJsonReply(reply, 503, "{\"error\":\"Too many watchers\"}");
        web_.Reply(reply);
    }

  private:
    WebPort &port_;
    const std::string peer_;
    WebExchange web_;
};

} // namespace

void WebPort::AllowWebSignIn(const ServerSettings &settings, WebSignKey &key,
                             std::vector<std::string> names, Clock &clock) {
    settings_ = &settings;
    web_key_ = &key;
    names_ = std::move(names);
    clock_ = &clock;
    hosts_ = ServerHostNames(names_, settings.WebHosts);
}

void WebPort::ServeRoutes(WebRoutes &routes) {
    if (std::find(routes_.begin(), routes_.end(), &routes) == routes_.end())
        routes_.push_back(&routes);
}

WebContent WebPort::Content() const {
    const std::string &page = source_ ? source_->PageBytes() : none_;
    const std::string &feed = source_ ? source_->FeedBytes() : none_;
    WebContent content{page.data(), page.size(), IanaCharsetName(ActiveCodePage()), feed.data(),
                       feed.size()};
    if (!hosts_.empty()) content.hosts = &hosts_;
    if (source_ && !source_->LiveBytes().empty()) {
        content.live = source_->LiveBytes().data();
        content.live_size = source_->LiveBytes().size();
        content.live_wall = source_->LiveBytes(true).data();
        content.live_wall_size = source_->LiveBytes(true).size();
    }
    return content;
}

std::unique_ptr<ConnectionExchange> WebPort::Open(const std::string &peer) {
    return std::make_unique<WebConnection>(*this, peer);
}

std::string WebPort::StreamStart(const Publisher &publisher) const {
    std::string bytes;
    AppendEventStreamStart(bytes, publisher.Number(), publisher.FeedBytes());
    return bytes;
}

std::string WebPort::StreamEvent(const Publisher &publisher) const {
    std::string bytes;
    AppendBoardEvent(bytes, publisher.Number(), publisher.FeedBytes());
    return bytes;
}

std::string WebPort::KeepAlive() const { return kKeepAliveComment; }

// A web request read whole that the exchange does not answer itself: the
// event stream, which makes the connection a watcher, a browser's sign-in,
// which is answered at once or joins the batch, or one of a route's.
ConnectionExchange::Turn WebPort::TakeOver(WebExchange &web, const std::string &peer,
                                           std::uint64_t now) {
    using Next = ConnectionExchange::Turn::Next;
    if (web.Request().Resource() == HttpResource::Events) return {Next::Stream, "", ""};
    if (web.Request().Resource() == HttpResource::Sign) return SignIn(web, peer, now);
    WebRouteReply answer;
    WebRoutes *route = nullptr;
    for (WebRoutes *one : routes_)
        if (!route && one->Serves(web.Request())) route = one;
    if (!route) {
        AppendHttpJsonReply(answer.reply, 404, "{\"error\":\"Nothing is served here\"}");
    } else {
        std::vector<std::string> names =
            settings_ ? ServerHostNames(names_, settings_->WebHosts) : ServerHostNames(names_, "");
        answer = route->Reply(WebRouteCall{web.Request(), names, key_lockout_, peer, now});
    }
    web.Reply(answer.reply);
    return {Next::Reply, "", answer.notice};
}

ConnectionExchange::Turn WebPort::SignIn(WebExchange &web, const std::string &peer,
                                         std::uint64_t now) {
    using Next = ConnectionExchange::Turn::Next;
    WebSignStart start;
    if (!settings_ || !web_key_ || !clock_) {
        AppendHttpJsonReply(start.reply, 403,
                            "{\"error\":\"Signing in from a browser is not allowed here\"}");
        start.status = 403;
    } else {
        start = StartWebSign(web.Request(), *settings_, *web_key_,
                             ServerHostNames(names_, settings_->WebHosts), ActiveCodePage(),
                             clock_->Now(), WebSignPeer{peer, now, &key_lockout_});
    }
    if (start.status != 0) {
        web.Reply(start.reply);
        return {Next::Reply, "", start.notice};
    }
    return {Next::Batch, start.line, start.notice};
}
