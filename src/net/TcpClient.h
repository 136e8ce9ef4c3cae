#pragma once

#include "net/SocksSettings.h"
#include "net/TcpConnection.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

namespace pell::net {

// The connecting side: resolves, connects (through SOCKS when asked) and then reads
// and writes as a TcpConnection.
class TcpClient : public TcpConnection {
public:
    std::string Host;
    int Port = 0;
    std::string BoundIP; // local address to bind to; empty means any
    SocksSettings SocksInfo;

    // Fires once the connection is established, SOCKS handshake included.
    std::function<void()> OnConnected;
    // Called over and over while Connect waits, so a GUI thread can keep its windows
    // responsive.
    std::function<void()> OnWaiting;

    // timeoutMs > 0 bounds the wait for the TCP connect (and each proxy reply);
    // otherwise the operating system's limit applies.
    void Connect(int timeoutMs = 0);

    // Called from another thread: makes a Connect under way fail soon (within one wait
    // slice, or at once while a proxy reply is awaited). For a client that connects
    // once: every later Connect fails too.
    void Abort();

private:
    int openSocket(std::uint32_t address, int port, int timeoutMs);
    void checkAborted() const;

    std::atomic<bool> aborted_{false};
    std::mutex socketMutex_; // socket handle changes against Abort
};

} // namespace pell::net
