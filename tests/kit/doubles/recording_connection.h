// A connection that keeps every send; on_send, when set, runs before each
// send is kept.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "server/publish/connection.h"

class RecordingConnection : public Connection {
  public:
    void Send(const char *bytes, size_t size) override {
        if (on_send) on_send();
        sends.emplace_back(bytes, size);
    }
    // Everything sent, in order.
    std::string Sent() const {
        std::string all;
        for (const std::string &send : sends) all += send;
        return all;
    }
    std::vector<std::string> sends;
    std::function<void()> on_send;
};
