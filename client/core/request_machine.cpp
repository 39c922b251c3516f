#include "client/core/request_machine.h"

#include <cstring>

bool IsVerdict(RequestStep step) {
    return step != RequestStep::Wait && step != RequestStep::Connect && step != RequestStep::Send;
}

ReplyVerdict JudgeReply(const char *reply, size_t length, bool closed) {
    if (length < 3 && !closed) return ReplyVerdict::Incomplete;
    char first = length > 0 ? reply[0] : '\0';
    if (first == '0') return ReplyVerdict::Done;
    if (first == '1') return ReplyVerdict::UnknownName;
    return ReplyVerdict::Failed;
}

bool RequestMachine::Start() {
    bool was_open = Open();
    state_ = RequestState::LookingUp;
    reply_length_ = 0;
    return was_open;
}

RequestStep RequestMachine::End(RequestStep verdict) {
    state_ = RequestState::Idle;
    return verdict;
}

RequestStep RequestMachine::LookupEnded(bool found) {
    if (state_ != RequestState::LookingUp) return RequestStep::Wait;
    if (!found) return End(RequestStep::CannotConnect);
    state_ = RequestState::Connecting;
    return RequestStep::Connect;
}

RequestStep RequestMachine::ConnectEnded(bool ok) {
    if (state_ != RequestState::Connecting) return RequestStep::Wait;
    if (!ok) return End(RequestStep::CannotConnect);
    state_ = RequestState::AwaitingReply;
    return RequestStep::Send;
}

RequestStep RequestMachine::SendEnded(bool ok) {
    if (state_ != RequestState::AwaitingReply) return RequestStep::Wait;
    return ok ? RequestStep::Wait : End(RequestStep::SendFailed);
}

namespace {
RequestStep StepOf(ReplyVerdict verdict) {
    switch (verdict) {
    case ReplyVerdict::Done:
        return RequestStep::Done;
    case ReplyVerdict::UnknownName:
        return RequestStep::UnknownName;
    case ReplyVerdict::Failed:
        return RequestStep::CannotConnect;
    default:
        return RequestStep::Wait;
    }
}
} // namespace

RequestStep RequestMachine::Received(const char *bytes, size_t size) {
    if (state_ != RequestState::AwaitingReply) return RequestStep::Wait;
    size_t room = ReplyRoom();
    if (size > room) size = room;
    std::memcpy(reply_ + reply_length_, bytes, size);
    reply_length_ += size;
    RequestStep step = StepOf(JudgeReply(reply_, reply_length_, false));
    return step == RequestStep::Wait ? step : End(step);
}

RequestStep RequestMachine::Closed() {
    // A close while connecting is a connection that did not come about.
    if (state_ == RequestState::Connecting) return End(RequestStep::CannotConnect);
    if (state_ != RequestState::AwaitingReply) return RequestStep::Wait;
    return End(StepOf(JudgeReply(reply_, reply_length_, true)));
}

RequestStep RequestMachine::TimedOut() {
    if (!Open()) return RequestStep::Wait;
    return End(RequestStep::CannotConnect);
}

void RequestMachine::Cancel() { state_ = RequestState::Idle; }
