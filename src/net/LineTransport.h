#pragma once

#include "net/SocksSettings.h"
#include "net/TlsSettings.h"

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace pell::net {

// Where the engine's server is and how to reach it.
struct LineEndpoint {
    std::string Host;
    int Port = 0;
    std::string BoundIP; // local address to bind to; empty means any
    net::SocksSettings Socks;
    net::TlsSettings Tls;
};

// The engine's line connection to its server. The program's runs over a socket; tests
// hand the engine a scripted one and need no server. Called on the GUI thread only.
class LineTransport {
public:
    using LineHandler = std::function<void(const std::string& line)>;
    using OpenDone = std::function<void(std::exception_ptr error)>;

    virtual ~LineTransport() = default;

    // Connects (and runs the proxy handshake) before it returns; throws the transport
    // error. A connection still open is closed first.
    virtual void Open(const LineEndpoint& to, int timeoutMs) = 0;
    // Connects without holding the caller: `done` runs later on the GUI thread with the
    // error, or null once connected. CancelOpen, a new open or Close drop it silently.
    virtual void OpenAsync(const LineEndpoint& to, int timeoutMs, OpenDone done) = 0;
    virtual void CancelOpen() = 0;
    virtual bool Opening() const = 0;

    // Hands each received line, without its line end, to `handler` on the GUI thread,
    // until Close or the end of the connection (which only turns Connected false).
    virtual void StartReading(LineHandler handler) = 0;
    // Queues the line and CR LF for the server and returns at once; throws the socket
    // error once the connection is lost by its writing side.
    virtual void WriteLine(std::string_view line) = 0;
    virtual bool Connected() const = 0;
    // Ends the connection; no line is handed over after it returns. With `flush`, lines
    // still queued get a short while to go out first.
    virtual void Close(bool flush) = 0;

    // The address a peer can reach us at, for DCC offers.
    virtual std::string LocalAddress() const = 0;
    // How the open connection is encrypted ("TLSv1.3, TLS_AES_256_GCM_SHA384"); empty
    // when it is not.
    virtual std::string Encryption() const { return {}; }
};

} // namespace pell::net
