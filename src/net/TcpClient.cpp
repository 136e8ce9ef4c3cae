#include "net/TcpClient.h"

#include "net/Resolver.h"
#include "net/SocksHandshake.h"
#include "net/TlsStream.h"
#include "net/TransportError.h"

#include <algorithm>
#include <optional>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pell::net {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting connect lets the GUI thread breathe.
constexpr int kWaitSliceMs = 25;
// The TLS handshake's limit when the connect has none.
constexpr int kTlsWaitMs = 30000;

class SocketGuard {
public:
    explicit SocketGuard(int socket) : socket_(socket) {}
    ~SocketGuard()
    {
        if (socket_ >= 0)
            ::close(socket_);
    }
    int release()
    {
        const int socket = socket_;
        socket_ = -1;
        return socket;
    }
    int get() const { return socket_; }

private:
    int socket_;
};

void setBlocking(int socket, bool blocking)
{
    const int flags = fcntl(socket, F_GETFL, 0);
    fcntl(socket, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK));
}

} // namespace

int TcpClient::openSocket(const SocketAddress& address, Clock::time_point deadline)
{
    SocketGuard socket(::socket(address.family(), SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        throw TransportError::socket(errno);

    const int one = 1;
    setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (SendBufferSize > 0)
        setsockopt(socket.get(), SOL_SOCKET, SO_SNDBUF, &SendBufferSize, sizeof SendBufferSize);
    if (RecvBufferSize > 0)
        setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &RecvBufferSize, sizeof RecvBufferSize);

    if (!BoundIP.empty()) {
        // The local address of the same family as the remote one.
        const auto locals = ResolveAll(BoundIP, 0);
        const auto local = std::find_if(locals.begin(), locals.end(),
                                        [&](const SocketAddress& l) { return l.family() == address.family(); });
        if (local == locals.end())
            throw TransportError::socket(EAFNOSUPPORT);
        if (::bind(socket.get(), local->get(), local->length) != 0)
            throw TransportError::socket(errno);
    }

    setBlocking(socket.get(), false);
    if (::connect(socket.get(), address.get(), address.length) != 0) {
        if (errno != EINPROGRESS)
            throw TransportError::socket(errno);
        for (;;) {
            pollfd pfd{socket.get(), POLLOUT, 0};
            const int ready = ::poll(&pfd, 1, kWaitSliceMs);
            if (ready < 0 && errno != EINTR)
                throw TransportError::socket(errno);
            if (ready > 0)
                break;
            if (Clock::now() >= deadline)
                throw TransportError::connectTimeout();
            checkAborted();
            if (OnWaiting)
                OnWaiting();
        }
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length);
        if (error != 0)
            throw TransportError::socket(error);
    }
    setBlocking(socket.get(), true);
    return socket.release();
}

int TcpClient::openAny(const std::string& host, int port, int timeoutMs)
{
    const std::vector<SocketAddress> addresses = Resolve ? Resolve(host, port) : ResolveAll(host, port);
    if (addresses.empty())
        throw TransportError::socket(EADDRNOTAVAIL);
    const auto deadline = timeoutMs > 0 ? Clock::now() + std::chrono::milliseconds(timeoutMs) : Clock::time_point::max();
    std::optional<TransportError> last;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        checkAborted();
        // The time left is shared by the addresses left: one that does not answer
        // leaves the next its turn within the same time-out.
        auto until = deadline;
        if (timeoutMs > 0)
            until = Clock::now() + (deadline - Clock::now()) / static_cast<int>(addresses.size() - i);
        try {
            return openSocket(addresses[i], until);
        } catch (const TransportError& error) {
            checkAborted();
            last = error;
        }
    }
    throw *last;
}

void TcpClient::Connect(int timeoutMs)
{
    if (socketHandle() >= 0)
        Disconnect();

    const bool viaProxy = SocksInfo.Version != SocksVersion::None;
    if (viaProxy)
        CheckSocksFields(SocksInfo, Host);
    const std::string& host = viaProxy ? SocksInfo.Host : Host;
    const int port = viaProxy ? SocksInfo.Port : Port;
    checkAborted();
    const int socket = openAny(host, port, timeoutMs);
    {
        std::lock_guard lock(socketMutex_);
        if (aborted_) {
            ::close(socket);
            throw TransportError::socket(ECANCELED);
        }
        adopt(socket);
    }

    if (viaProxy) {
        const int readTimeout = ReadTimeout;
        if (timeoutMs > 0)
            ReadTimeout = timeoutMs;
        try {
            SocksHandshake(*this, SocksInfo, Host, Port);
        } catch (...) {
            ReadTimeout = readTimeout;
            std::lock_guard lock(socketMutex_);
            closeSocket();
            throw;
        }
        ReadTimeout = readTimeout;
    }

    if (Tls.Enabled)
        startTls(timeoutMs);

    if (OnConnected)
        OnConnected();
}

void TcpClient::startTls(int timeoutMs)
{
    try {
        if (BufferedCount() > 0)
            throw TransportError::tls("Der Server hat vor dem TLS-Handshake unverschlüsselt gesendet.",
                                      "The server sent unencrypted data before the TLS handshake.");
        ConnectWait wait;
        wait.Deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : kTlsWaitMs);
        wait.Aborted = [this] { return aborted_.load(); };
        wait.OnWaiting = OnWaiting;
        StartTls(TlsStream::Connect(socketHandle(), Host, Port, Tls, wait));
    } catch (...) {
        std::lock_guard lock(socketMutex_);
        closeSocket();
        throw;
    }
}

void TcpClient::Abort()
{
    aborted_ = true;
    // Under the lock the handle cannot be closed and reused while we shut it down.
    std::lock_guard lock(socketMutex_);
    Shutdown();
}

void TcpClient::checkAborted() const
{
    if (aborted_)
        throw TransportError::socket(ECANCELED);
}

} // namespace pell::net
