#include "support/FakeServer.h"

#include "support/Loopback.h"

#include <chrono>
#include <sys/socket.h>
#include <unistd.h>

namespace pell::test {

FakeServer::FakeServer()
{
    listener_ = listenLoopback(4, port_);
    thread_ = std::thread([this] { run(); });
}

FakeServer::~FakeServer()
{
    stopping_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    const int client = client_.load();
    if (client >= 0)
        ::shutdown(client, SHUT_RDWR);
    thread_.join();
    if (client_ >= 0)
        ::close(client_);
    ::close(listener_);
}

void FakeServer::run()
{
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0)
        return;
    {
        std::lock_guard lock(mutex_);
        client_ = client;
    }
    changed_.notify_all();
    char buffer[65536];
    while (!stopping_) {
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        {
            std::lock_guard lock(mutex_);
            received_.append(buffer, static_cast<std::size_t>(got));
        }
        changed_.notify_all();
    }
    if (resetRequested_) {
        ::close(client);
        client_ = -1;
    }
}

bool FakeServer::waitForClient(int milliseconds)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return client_ >= 0; });
}

std::string FakeServer::received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

bool FakeServer::waitForReceived(const std::string& text, int milliseconds) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&] { return received_.find(text) != std::string::npos; });
}

void FakeServer::send(const std::string& bytes)
{
    const int client = client_.load();
    if (client >= 0)
        ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void FakeServer::closeClient(bool reset)
{
    const int client = client_.load();
    if (client < 0)
        return;
    if (reset) {
        // Closed by the reading thread once it wakes; with no lingering the close
        // sends RST.
        linger hard{1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        resetRequested_ = true;
        ::shutdown(client, SHUT_RD);
    } else {
        ::shutdown(client, SHUT_RDWR);
    }
}

} // namespace pell::test
