#include "support/Loopback.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace pell::test {

namespace {

constexpr int kSliceMs = 50;

sockaddr_in loopback(int port, std::uint32_t host = INADDR_LOOPBACK)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(host);
    return address;
}

// Waits for readability in slices so a stop request is seen; false on time-out or stop.
bool waitReadable(int socket, int milliseconds, const std::atomic<bool>* stopping)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (stopping && *stopping)
            return false;
        pollfd pfd{socket, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, kSliceMs);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
}

} // namespace

int listenLoopback(int backlog, int& port)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    if (socket < 0 || ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(socket, backlog) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    socklen_t length = sizeof address;
    getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return socket;
}

int acceptFor(int listener, int milliseconds, const std::atomic<bool>* stopping)
{
    if (!waitReadable(listener, milliseconds, stopping))
        return -1;
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

bool readExactly(int socket, std::size_t count, std::string& out, int milliseconds,
                 const std::atomic<bool>* stopping)
{
    while (count > 0) {
        if (!waitReadable(socket, milliseconds, stopping))
            return false;
        char buffer[4096];
        const ssize_t got = ::recv(socket, buffer, std::min(count, sizeof buffer), 0);
        if (got <= 0)
            return false;
        out.append(buffer, static_cast<std::size_t>(got));
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool sendAll(int socket, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = ::send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        done += static_cast<std::size_t>(sent);
    }
    return true;
}

int connectLoopback(int port, std::uint32_t host)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(port, host);
    if (socket >= 0 && ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return socket;
    if (socket >= 0)
        ::close(socket);
    return -1;
}

std::pair<int, int> connectedPair()
{
    int port = 0;
    const int listener = listenLoopback(1, port);
    const int ours = connectLoopback(port);
    if (ours < 0)
        throw std::runtime_error("cannot connect on 127.0.0.1");
    const int theirs = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    ::close(listener);
    return {ours, theirs};
}

void resetAndClose(int socket)
{
    linger hard{1, 0};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(socket);
}

int freePort()
{
    int port = 0;
    ::close(listenLoopback(1, port));
    return port;
}

bool waitForPort(int port, int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (const int s = connectLoopback(port); s >= 0) {
            ::close(s);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

StalledListener::StalledListener()
{
    listener_ = listenLoopback(0, port_);
    // Two fillers: the first completes and sits in the accept queue, the second is
    // already dropped; either way the queue is full before the test connects.
    for (int i = 0; i < 2; ++i) {
        const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_in address = loopback(port_);
        ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers_.push_back(filler);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

StalledListener::~StalledListener()
{
    for (const int filler : fillers_)
        ::close(filler);
    ::close(listener_);
}

} // namespace pell::test
