#include "net/TcpListener.h"

#include "net/TransportError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pell::net {

namespace {

constexpr int AbortSliceMs = 50; // how soon an Abort is seen

} // namespace

int BindAnyAddress(int port)
{
    int socket = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket >= 0) {
        const int no = 0;
        ::setsockopt(socket, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_port = htons(static_cast<std::uint16_t>(port));
        address.sin6_addr = in6addr_any;
        if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return socket;
        const int error = errno;
        ::close(socket);
        if (error != EADDRNOTAVAIL && error != EAFNOSUPPORT) {
            errno = error;
            return -1;
        }
    }
    socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return socket;
    const int error = errno;
    ::close(socket);
    errno = error;
    return -1;
}

TcpListener::~TcpListener()
{
    Close();
}

void TcpListener::Listen(int port)
{
    Close();
    const int socket = BindAnyAddress(port);
    if (socket < 0 || ::listen(socket, 1) != 0) {
        const int error = errno;
        if (socket >= 0)
            ::close(socket);
        if (error == EADDRINUSE || error == EACCES)
            throw TransportError::bindFailed();
        throw TransportError::socket(error);
    }
    socket_ = socket;
    port_ = port;
}

int TcpListener::Accept(int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (socket_ >= 0 && !aborted_ && std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{socket_, POLLIN, 0};
        if (::poll(&pfd, 1, AbortSliceMs) <= 0)
            continue;
        const int accepted = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
        if (accepted >= 0)
            return accepted;
    }
    return -1;
}

void TcpListener::Abort()
{
    aborted_ = true;
}

void TcpListener::Close()
{
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

} // namespace pell::net
