// One request of the client from OK to its verdict: the steps it goes
// through (name look-up, connection, line sent, reply), what each event
// means in each step, and how a reply is judged. Portable: the Win32 layer
// feeds it the events of its sockets and timer and carries out the step it
// answers.
#pragma once
#include <cstddef>

enum class RequestState {
    Idle,          // no request under way
    LookingUp,     // the server's name is being looked up
    Connecting,    // the connection is being made
    AwaitingReply, // the line went out; the reply is being gathered
};

// What the caller does next.
enum class RequestStep {
    Wait,          // nothing until the next event
    Connect,       // the address is known: connect to it
    Send,          // connected: send the request line
    Done,          // "0": the server took the request
    UnknownName,   // "1": the server does not know the name
    CannotConnect, // no host, no connection, no whole reply, or the wait ran out
    SendFailed,    // the line could not be sent
};

// True for the steps that end the request (the state is then Idle).
bool IsVerdict(RequestStep step);

enum class ReplyVerdict { Incomplete, Done, UnknownName, Failed };

// A reply is whole at three bytes, or when the server has closed: its first
// byte "0" is done, "1" a name the server does not know, anything else (or
// nothing) a request that did not get through.
ReplyVerdict JudgeReply(const char *reply, size_t length, bool closed);

constexpr size_t kReplyCapacity = 500;

class RequestMachine {
  public:
    RequestState State() const { return state_; }
    bool Open() const { return state_ != RequestState::Idle; }

    // A new request: looking up. Returns true when an earlier one was still
    // open (it is given up quietly).
    bool Start();
    // The look-up ended: found or not.
    RequestStep LookupEnded(bool found);
    // The connection completed (ok) or failed.
    RequestStep ConnectEnded(bool ok);
    // The line was sent (ok) or sending failed.
    RequestStep SendEnded(bool ok);
    // Bytes of the reply arrived.
    RequestStep Received(const char *bytes, size_t size);
    // The server closed the connection (after whatever it sent was fed).
    RequestStep Closed();
    // The request's time ran out.
    RequestStep TimedOut();
    // Ends the request without a verdict.
    void Cancel();

    size_t ReplyLength() const { return reply_length_; }
    // Room left for the reply.
    size_t ReplyRoom() const { return kReplyCapacity - reply_length_; }

  private:
    RequestStep End(RequestStep verdict);

    RequestState state_ = RequestState::Idle;
    char reply_[kReplyCapacity] = {};
    size_t reply_length_ = 0;
};
