#include "support/Socks4aProxy.h"

#include "direct/Resolver.h"
#include "direct/TransportError.h"
#include "support/Loopback.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pell::test {

namespace {

constexpr int kWaitMs = 5000;

// Reads up to and including a NUL into out.
bool readUntilNul(int socket, std::string& out, const std::atomic<bool>& stopping)
{
    for (std::size_t i = 0; i < 512; ++i) {
        if (!readExactly(socket, 1, out, kWaitMs, &stopping))
            return false;
        if (out.back() == '\0')
            return true;
    }
    return false;
}

void relay(int a, int b, const std::atomic<bool>& stopping)
{
    char buffer[16384];
    while (!stopping) {
        pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
        if (::poll(fds, 2, 50) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
            if (got <= 0 || !sendAll(fds[1 - i].fd, std::string(buffer, static_cast<std::size_t>(got))))
                return;
        }
    }
}

} // namespace

Socks4aProxy::Socks4aProxy()
{
    listener_ = listenLoopback(4, port_);
    thread_ = std::thread([this] { run(); });
}

Socks4aProxy::~Socks4aProxy()
{
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::string Socks4aProxy::lastRequest() const
{
    std::lock_guard lock(mutex_);
    return lastRequest_;
}

void Socks4aProxy::run()
{
    while (!stopping_) {
        const int client = acceptFor(listener_, 100, &stopping_);
        if (client < 0)
            continue;
        serve(client);
        ::close(client);
    }
}

void Socks4aProxy::serve(int client)
{
    std::string request;
    if (!readExactly(client, 8, request, kWaitMs, &stopping_) || !readUntilNul(client, request, stopping_))
        return;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(request[i]); };
    const int port = byte(2) << 8 | byte(3);
    std::uint32_t address = static_cast<std::uint32_t>(byte(4)) << 24 | byte(5) << 16 | byte(6) << 8 | byte(7);
    if (address != 0 && address < 256) {
        std::string host;
        if (!readUntilNul(client, host, stopping_))
            return;
        request += host;
        host.pop_back();
        try {
            address = direct::ResolveIPv4(host);
        } catch (const direct::TransportError&) {
            address = 0;
        }
    }
    {
        std::lock_guard lock(mutex_);
        lastRequest_ = request;
    }
    const bool allowed = byte(0) == 4 && byte(1) == 1 && (address >> 24) == 127;
    const int target = allowed ? connectLoopback(port, address) : -1;
    std::string reply{'\0', static_cast<char>(target >= 0 ? 90 : 91), 0, 0, 0, 0, 0, 0};
    if (!sendAll(client, reply) || target < 0)
        return;
    relay(client, target, stopping_);
    ::close(target);
}

} // namespace pell::test
