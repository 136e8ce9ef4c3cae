#pragma once

#include "net/Resolver.h"
#include "net/SocksSettings.h"
#include "net/TcpConnection.h"
#include "net/TlsSettings.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>

namespace pell::net {

// The connecting side: resolves (both address families), connects to each address in
// turn until one answers, runs the SOCKS handshake when asked, then TLS when asked, and
// reads and writes as a TcpConnection.
class TcpClient : public TcpConnection {
public:
    std::string Host;
    int Port = 0;
    std::string BoundIP; // local address to bind to; empty means any
    SocksSettings SocksInfo;
    TlsSettings Tls; // started after the proxy handshake, inside the tunnel
    // How the host (or the proxy) is looked up; tests give a name addresses of their own.
    std::function<std::vector<SocketAddress>(const std::string& host, int port)> Resolve = ResolveAll;

    // Fires once the connection is established, SOCKS handshake included.
    std::function<void()> OnConnected;
    // Called over and over while Connect waits, so a GUI thread can keep its windows
    // responsive.
    std::function<void()> OnWaiting;

    // timeoutMs > 0 bounds the wait for the TCP connect over all addresses (and each
    // proxy reply, and the TLS handshake); otherwise the operating system's limit applies
    // (and the TLS handshake gets 30 s).
    void Connect(int timeoutMs = 0);

    // Called from another thread: makes a Connect under way fail soon (within one wait
    // slice, or at once while a proxy reply is awaited). For a client that connects
    // once: every later Connect fails too.
    void Abort();

private:
    int openAny(const std::string& host, int port, int timeoutMs);
    int openSocket(const SocketAddress& address, std::chrono::steady_clock::time_point deadline);
    void startTls(int timeoutMs);
    void checkAborted() const;

    std::atomic<bool> aborted_{false};
    std::mutex socketMutex_; // socket handle changes against Abort
};

} // namespace pell::net
