// The engine's sockets as a test scripts them: a backlog a pool, bytes
// that "arrive" when a test says, and handle values a test may reuse.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "server/engine/connection_engine.h"

class ScriptedEngineSockets : public EngineSockets {
  public:
    struct Socket {
        std::string peer;
        std::string incoming; // arrived, not read yet
        bool peer_closed = false;
        int reset = 0; // an error the next receive reports
        std::string sent;
        bool closed = false;
        bool stuck = false;   // takes nothing more (a peer that never reads)
        size_t streaming = 0; // filler bytes that follow incoming, as fast as read
    };

    // A peer connects; it waits in the pool's backlog with what it sent.
    SocketId Connect(Pool pool, const std::string &peer, const std::string &bytes = "",
                     SocketId id = 0) {
        Socket socket;
        socket.peer = peer;
        socket.incoming = bytes;
        if (id == 0) id = ++last_id;
        backlog[static_cast<int>(pool)].push_back({id, socket});
        return id;
    }
    size_t Waiting(Pool pool) const { return backlog[static_cast<int>(pool)].size(); }
    bool Closed(SocketId id) { return sockets.at(id).closed; }

    Accepted Accept(Pool pool) override {
        Accepted accepted;
        auto &waiting = backlog[static_cast<int>(pool)];
        if (waiting.empty()) {
            accepted.error = kErrorWouldBlock;
            return accepted;
        }
        accepted.socket = waiting.front().first;
        accepted.peer = waiting.front().second.peer;
        sockets[accepted.socket] = waiting.front().second;
        waiting.pop_front();
        return accepted;
    }
    Io Receive(SocketId id, char *bytes, size_t capacity) override {
        Io io;
        Socket &socket = sockets.at(id);
        ++receives;
        if (socket.closed) {
            io.error = 10038; // not a socket
        } else if (socket.reset) {
            io.error = socket.reset;
        } else if (!socket.incoming.empty()) {
            io.count = socket.incoming.copy(bytes, capacity);
            socket.incoming.erase(0, io.count);
        } else if (socket.streaming > 0) {
            io.count = std::min(capacity, socket.streaming);
            std::memset(bytes, 'a', io.count);
            socket.streaming -= io.count;
        } else if (!socket.peer_closed) {
            io.error = kErrorWouldBlock;
        }
        return io;
    }
    Io Send(SocketId id, const char *bytes, size_t size) override {
        Io io;
        if (sockets.at(id).stuck) {
            io.error = kErrorWouldBlock;
            return io;
        }
        sockets.at(id).sent.append(bytes, size);
        io.count = size;
        return io;
    }
    size_t Unread(SocketId id) override {
        return sockets.at(id).incoming.size() + sockets.at(id).streaming;
    }
    void ShutSending(SocketId) override {}
    void Close(SocketId id) override {
        EXPECT_FALSE(sockets.at(id).closed) << "closed twice: " << id;
        sockets.at(id).closed = true;
    }

    std::map<SocketId, Socket> sockets;
    std::deque<std::pair<SocketId, Socket>> backlog[kPoolCount];
    SocketId last_id = 100;
    int receives = 0;
};
