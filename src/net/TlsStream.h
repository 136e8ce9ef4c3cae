#pragma once

#include "net/TlsSettings.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>

struct ssl_st;
struct ssl_ctx_st;

namespace pell::net {

// How long a connect may wait and how it learns that it is no longer wanted.
struct ConnectWait {
    std::chrono::steady_clock::time_point Deadline = std::chrono::steady_clock::time_point::max();
    std::function<bool()> Aborted;   // polled between waits; true ends the connect
    std::function<void()> OnWaiting; // called between waits (a GUI thread keeps its windows alive)
};

// TLS over a connected socket, with OpenSSL. One thread may read while another writes:
// each OpenSSL call runs under a lock, and every wait for the socket happens outside it,
// so a reader waiting for the server never holds up a line going out.
class TlsStream {
public:
    // The client handshake over the connected socket, which stays non-blocking from now
    // on: at least TLS 1.2, the host name sent (SNI) and checked against the certificate,
    // the chain checked against the authorities the system trusts (SSL_CERT_FILE and SSL_CERT_DIR
    // point it elsewhere). A certificate that fails, unless its fingerprint is the one
    // trusted in the settings, throws CertificateError; a failed or timed-out handshake a
    // TransportError of kind Tls. Nothing but the handshake has been sent then.
    static std::unique_ptr<TlsStream> Connect(int socket, const std::string& host, int port,
                                              const TlsSettings& settings, const ConnectWait& wait);
    ~TlsStream();
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // Like recv: the count of bytes read (at most size), 0 once the server has closed,
    // -1 with errno on a socket error. Waits up to timeoutMs (0 or less: no limit) and
    // then throws the read time-out; a TLS protocol error throws a Tls TransportError.
    ssize_t Read(char* out, std::size_t size, int timeoutMs);
    // Writes every byte, waiting as long as the server needs; throws the socket error.
    void Write(const char* data, std::size_t size);
    // Tells the server we are leaving (close_notify), without waiting for an answer.
    // No other thread may use the stream any more.
    void Close();

    // "TLSv1.3, TLS_AES_256_GCM_SHA384".
    std::string Description() const;

private:
    TlsStream(ssl_ctx_st* context, ssl_st* ssl, int socket);
    // Waits until the socket allows `events` or the deadline passes; false on time-out.
    bool waitFor(short events, std::chrono::steady_clock::time_point deadline) const;

    ssl_ctx_st* context_;
    ssl_st* ssl_;
    int socket_;
    mutable std::mutex mutex_;
    bool closed_ = false;
};

} // namespace pell::net
