// The connection a request came on, as the request handlers see it: the
// listener sends on its socket, tests record.
#pragma once
#include <cstddef>

class Connection {
  public:
    virtual ~Connection() = default;
    virtual void Send(const char *bytes, size_t size) = 0;
};
