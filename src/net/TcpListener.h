#pragma once

#include <atomic>

namespace pell::net {

// A socket bound to every local address of both families (IPv4 arrives mapped into
// IPv6), IPv4 alone where the system has no IPv6; -1 with errno set when the port
// cannot be taken.
int BindAnyAddress(int port);

// A listening socket for one peer that connects once (the sender of a passive DCC
// offer, say): it hands out one connection within a time limit.
class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Throws the bind error (TransportError) when the port cannot be taken.
    void Listen(int port);
    bool Active() const { return socket_ >= 0; }
    int Port() const { return port_; }
    // Waits up to ms for a connection: its socket, or -1 on time-out or Abort.
    int Accept(int ms);
    // From any thread: an Accept under way returns soon, and so does every later one.
    void Abort();
    void Close();

private:
    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> aborted_{false};
};

} // namespace pell::net
