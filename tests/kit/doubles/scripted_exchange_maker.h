// The engine's web pool speaking a protocol of a test's own: a request is
// one text line; "stream" asks for the event stream, "batch <request>"
// hands the sign-in port's <request> (its line end added) to the batch,
// anything else is answered "reply <it>". The stream's
// bytes are "start <number>", "event <number>" and "alive", a line each.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "server/engine/connection_exchange.h"
#include "server/publish/publisher.h"

class ScriptedExchange : public ConnectionExchange {
  public:
    void Received(const char *bytes, size_t size) override {
        if (phase_ != Phase::Reading) return;
        request_.append(bytes, size);
        size_t end = request_.find('\n');
        if (end == std::string::npos) return;
        request_.resize(end);
        phase_ = Phase::Handover;
    }
    void PeerClosed() override {
        if (phase_ == Phase::Reading || phase_ == Phase::Draining) phase_ = Phase::Done;
    }
    bool SentPastRequest(size_t) const override { return false; }
    Phase phase() const override { return phase_; }
    const char *Unsent() const override { return reply_.data() + sent_; }
    size_t UnsentSize() const override { return reply_.size() - sent_; }
    void Sent(size_t n) override {
        sent_ += n;
        if (sent_ == reply_.size()) phase_ = Phase::Draining;
    }
    Turn TakeOver(std::uint64_t) override {
        if (request_ == "stream") return {Turn::Next::Stream, "", ""};
        if (request_.rfind("batch ", 0) == 0)
            return {Turn::Next::Batch, request_.substr(6) + "\n\r", ""};
        Reply("reply " + request_ + "\n");
        return {Turn::Next::Reply, "", "answered " + request_};
    }
    void Answered(const std::string &handler_reply) override { Reply("batch " + handler_reply); }
    void NoStream() override { Reply("no room\n"); }

  private:
    void Reply(const std::string &reply) {
        reply_ = reply;
        sent_ = 0;
        phase_ = Phase::Sending;
    }

    std::string request_;
    std::string reply_;
    size_t sent_ = 0;
    Phase phase_ = Phase::Reading;
};

class ScriptedExchangeMaker : public ExchangeMaker {
  public:
    std::unique_ptr<ConnectionExchange> Open(const std::string &) override {
        ++opened;
        return std::make_unique<ScriptedExchange>();
    }
    const Publisher *Following() const override { return following; }
    std::string StreamStart(const Publisher &publisher) const override {
        return "start " + std::to_string(publisher.Number()) + "\n";
    }
    std::string StreamEvent(const Publisher &publisher) const override {
        return "event " + std::to_string(publisher.Number()) + "\n";
    }
    std::string KeepAlive() const override { return "alive\n"; }

    const Publisher *following = nullptr;
    int opened = 0;
};
