// A connection of a pool whose protocol the engine does not speak (the web
// port's), as the engine sees it: bytes go in as they are read, a reply
// comes out to be sent as far as the socket takes it, and when a request
// has come whole that the protocol does not answer by itself the engine is
// told what to make of it (send the reply now made, keep the connection as
// a watcher of the event stream, or apply a request line in the next
// batch). The engine keeps the sockets, the pools, the deadlines and the
// batch; the protocol never sees a socket.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class Publisher;

class ConnectionExchange {
  public:
    enum class Phase {
        Reading,  // the request is still arriving
        Handover, // a request read whole that TakeOver turns into the next step
        Sending,  // the reply is made; Unsent() is what is left of it
        Draining, // the reply is out: shut the sending side, read until the peer closes
        Done,     // nothing more to do: close the connection
    };

    virtual ~ConnectionExchange() = default;

    // The bytes of one receive; the peer has closed its side.
    virtual void Received(const char *bytes, size_t size) = 0;
    virtual void PeerClosed() = 0;
    // Whether the peer has sent more than its request declared (received:
    // every byte read so far): the connection is closed at once.
    virtual bool SentPastRequest(size_t received) const = 0;

    virtual Phase phase() const = 0;
    virtual const char *Unsent() const = 0;
    virtual size_t UnsentSize() const = 0;
    // n more bytes of the reply have gone out; Draining once all have.
    virtual void Sent(size_t n) = 0;

    // What the engine is to do with a request in Handover.
    struct Turn {
        enum class Next {
            Reply,  // the reply is made: Sending
            Stream, // the connection asks for the event stream
            Batch,  // line joins the next batch; its reply comes to Answered
        };
        Next next = Next::Reply;
        std::string line;
        // Not empty: a text for the status line (an address locked out).
        std::string notice;
    };
    // now: milliseconds of a steady clock. The answer may have published
    // (and told the watchers) before it returns; it closes no connection.
    virtual Turn TakeOver(std::uint64_t now) = 0;
    // What the batch's handler answered the line: the reply is made from it.
    virtual void Answered(const std::string &handler_reply) = 0;
    // A Stream the watchers have no room for: the reply says so.
    virtual void NoStream() = 0;
};

// Makes the exchanges of a pool's connections and the bytes of the event
// stream in the protocol's format.
class ExchangeMaker {
  public:
    virtual ~ExchangeMaker() = default;
    // The exchange of a connection just accepted from peer (its address).
    virtual std::unique_ptr<ConnectionExchange> Open(const std::string &peer) = 0;
    // The publisher the event stream follows; none: no stream is served.
    virtual const Publisher *Following() const = 0;
    // The stream's first bytes (its head and the board as published), one
    // publication's event, and the line that keeps a quiet stream open.
    virtual std::string StreamStart(const Publisher &publisher) const = 0;
    virtual std::string StreamEvent(const Publisher &publisher) const = 0;
    virtual std::string KeepAlive() const = 0;
};
