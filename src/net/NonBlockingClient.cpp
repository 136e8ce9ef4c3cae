#include "net/NonBlockingClient.h"

#include "net/Resolver.h"
#include "net/TransportError.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace pell::net {

NonBlockingClient::~NonBlockingClient()
{
    Close();
}

void NonBlockingClient::SetRemoteHost(const std::string& host)
{
    if (host.empty()) {
        host_ = "0.0.0.0";
        return;
    }
    if (IsIPv6Address(host)) {
        host_ = WithoutBrackets(host);
        return;
    }
    if (std::isdigit(static_cast<unsigned char>(host[0]))) {
        in_addr parsed{};
        host_ = inet_pton(AF_INET, host.c_str(), &parsed) == 1 ? host : std::string();
        return;
    }
    try {
        host_ = FormatIPv4(ResolveIPv4(host));
    } catch (const TransportError&) {
        host_.clear();
    }
}

void NonBlockingClient::SetRemotePort(const std::string& port)
{
    if (const servent* service = getservbyname(port.c_str(), "tcp")) {
        port_ = ntohs(static_cast<std::uint16_t>(service->s_port));
        return;
    }
    port_ = std::atoi(port.c_str());
}

void NonBlockingClient::fail(int errorNumber)
{
    if (OnError)
        OnError(errorNumber);
}

void NonBlockingClient::ended(int errorNumber)
{
    Close();
    if (OnClosed)
        OnClosed(errorNumber);
}

void NonBlockingClient::Open()
{
    Close();
    sockaddr_storage remote{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&remote);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&remote);
    if (inet_pton(AF_INET, host_.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port_));
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, host_.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port_));
        length = sizeof *v6;
    }
    socket_ = ::socket(length ? remote.ss_family : AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket_ < 0) {
        fail(errno);
        return;
    }
    if (length == 0) {
        fail(EINVAL);
        return;
    }
    if (::connect(socket_, reinterpret_cast<sockaddr*>(&remote), length) != 0 && errno != EINPROGRESS)
        fail(errno);
}

bool NonBlockingClient::Established() const
{
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    return socket_ >= 0 && ::getpeername(socket_, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
}

bool NonBlockingClient::SendLine(const std::string& text, const std::string& endOfLine)
{
    if (socket_ < 0)
        return false;
    const std::string line = text + endOfLine;
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t sent = ::send(socket_, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            fail(errno); // not connected yet, or gone: the line is lost, silently
            return false;
        }
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

std::string NonBlockingClient::PollLine(const std::string& endOfLine)
{
    if (socket_ < 0)
        return {};
    std::vector<char> peek(65536);
    ssize_t available;
    do {
        available = ::recv(socket_, peek.data(), peek.size(), MSG_PEEK);
    } while (available < 0 && errno == EINTR);
    if (available == 0) {
        ended(0);
        return {};
    }
    if (available < 0) {
        const int error = errno;
        if (error != EAGAIN && error != EWOULDBLOCK) {
            fail(error);
            ended(error);
        }
        return {};
    }
    const std::string_view seen(peek.data(), static_cast<std::size_t>(available));
    std::size_t take = seen.size();
    bool withEnd = false;
    if (!endOfLine.empty()) {
        const std::size_t at = seen.find(endOfLine);
        if (at != std::string_view::npos) {
            take = at + endOfLine.size();
            withEnd = true;
        }
    }
    std::string chunk(take, '\0');
    const ssize_t got = ::recv(socket_, chunk.data(), take, 0);
    if (got <= 0) {
        if (got < 0)
            fail(errno);
        return {};
    }
    chunk.resize(static_cast<std::size_t>(got));
    if (OnReceive)
        OnReceive(chunk.data(), chunk.size());
    if (withEnd && chunk.size() == take)
        chunk.resize(take - endOfLine.size());
    return chunk;
}

void NonBlockingClient::Close()
{
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

} // namespace pell::net
