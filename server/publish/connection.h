// The connection a request came on, as the request handlers see it: the
// listener sends on its socket, tests record.
#pragma once
#include <cstddef>
#include <string>

class Connection {
  public:
    virtual ~Connection() = default;
    virtual void Send(const char *bytes, size_t size) = 0;
};

// A reply kept rather than sent: for a request whose answer goes out in
// another form (a browser's, over HTTP, once the batch is done).
class KeptReply : public Connection {
  public:
    void Send(const char *bytes, size_t size) override { bytes_.append(bytes, size); }
    const std::string &Bytes() const { return bytes_; }

  private:
    std::string bytes_;
};
