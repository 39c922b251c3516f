// One connection on the web port, from its first byte to its close: the
// request head is read as it arrives, the reply goes out in as many sends
// as the connection takes, then the server's side is shut and what the
// peer still sends is read and dropped until it closes (closing with
// unread bytes would reset the connection and lose the end of the reply).
#pragma once
#include <cstddef>
#include <string>

#include "server/engine/connection_exchange.h"
#include "server/web/http_reply.h"
#include "server/web/http_request.h"

class WebExchange {
  public:
    // Handover: an event stream, a sign-in or a route's request (the roll
    // call's, the administration's), read whole: the caller answers it
    // (Reply) or keeps the connection as a watcher.
    using Phase = ConnectionExchange::Phase;

    void Reset();
    // The bytes of one receive. While Reading they go to the head reader;
    // once it knows the answer the reply is made from content: 421 for a
    // readable request whose Host is none of content's names. Later bytes
    // are dropped.
    void Received(const char *bytes, size_t size, const WebContent &content);
    // The peer has closed its side. A head cut short is answered as
    // unreadable (the peer may still read); a connection on which nothing
    // arrived, or whose reply is out, is Done.
    void PeerClosed(const WebContent &content);
    // The answer to a Handover request: Sending it from now on.
    void Reply(const std::string &reply);
    bool PeerHasClosed() const { return peer_closed_; }
    // n more bytes of the reply have gone out; Draining once all have.
    void Sent(size_t n);

    Phase phase() const { return phase_; }
    const char *Unsent() const { return reply_.data() + sent_; }
    size_t UnsentSize() const { return reply_.size() - sent_; }
    const HttpRequestReader &Request() const { return reader_; }

  private:
    void Answer(const WebContent &content);

    HttpRequestReader reader_;
    std::string reply_;
    size_t sent_ = 0;
    bool peer_closed_ = false;
    Phase phase_ = Phase::Reading;
};
