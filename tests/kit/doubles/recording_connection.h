// A connection that keeps every send; on_send, when set, is given each
// send's bytes before they are kept (to see what the files held when the
// reply went, say).
#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "server/publish/connection.h"

class RecordingConnection : public Connection {
  public:
    void Send(const char *bytes, size_t size) override {
        std::string send(bytes, size);
        if (on_send) on_send(send);
        sends.push_back(std::move(send));
    }
    // Everything sent, in order.
    std::string Sent() const {
        std::string all;
        for (const std::string &send : sends) all += send;
        return all;
    }
    std::vector<std::string> sends;
    std::function<void(const std::string &send)> on_send;
};
