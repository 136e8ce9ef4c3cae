#include "net/TcpClient.h"

#include "net/Resolver.h"
#include "net/SocksHandshake.h"
#include "net/TransportError.h"

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

// How often a waiting connect lets the GUI thread breathe.
constexpr int kWaitSliceMs = 25;

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

int TcpClient::openSocket(std::uint32_t address, int port, int timeoutMs)
{
    SocketGuard socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        throw TransportError::socket(errno);

    const int one = 1;
    setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (SendBufferSize > 0)
        setsockopt(socket.get(), SOL_SOCKET, SO_SNDBUF, &SendBufferSize, sizeof SendBufferSize);
    if (RecvBufferSize > 0)
        setsockopt(socket.get(), SOL_SOCKET, SO_RCVBUF, &RecvBufferSize, sizeof RecvBufferSize);

    if (!BoundIP.empty()) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(ResolveIPv4(BoundIP));
        if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
            throw TransportError::socket(errno);
    }

    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<std::uint16_t>(port));
    remote.sin_addr.s_addr = htonl(address);

    setBlocking(socket.get(), false);
    if (::connect(socket.get(), reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        if (errno != EINPROGRESS)
            throw TransportError::socket(errno);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            pollfd pfd{socket.get(), POLLOUT, 0};
            const int ready = ::poll(&pfd, 1, kWaitSliceMs);
            if (ready < 0 && errno != EINTR)
                throw TransportError::socket(errno);
            if (ready > 0)
                break;
            if (timeoutMs > 0 && std::chrono::steady_clock::now() >= deadline)
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
    const int socket = openSocket(ResolveIPv4(host), port, timeoutMs);
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

    if (OnConnected)
        OnConnected();
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
