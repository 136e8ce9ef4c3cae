#include "net/TcpServer.h"

#include "net/Resolver.h"
#include "net/TcpListener.h"
#include "net/TransportError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pell::net {

TcpServer::~TcpServer()
{
    Stop();
}

void TcpServer::SetOnExecute(ExecuteHandler handler)
{
    std::lock_guard lock(mutex_);
    onExecute_ = std::move(handler);
}

void TcpServer::Start()
{
    if (Active())
        return;
    const int socket = BindAnyAddress(DefaultPort);
    if (socket < 0) {
        const int error = errno;
        if (error == EADDRINUSE || error == EACCES)
            throw TransportError::bindFailed();
        throw TransportError::socket(error);
    }
    if (::listen(socket, ListenQueue) != 0) {
        const int error = errno;
        ::close(socket);
        throw TransportError::socket(error);
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    listener_ = socket;
    acceptor_ = std::thread([this] { acceptLoop(); });
}

void TcpServer::Stop()
{
    if (!Active())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    ::shutdown(listener_, SHUT_RDWR); // wakes accept()
    if (acceptor_.joinable())
        acceptor_.join();
    ::close(listener_);
    listener_ = -1;

    DisconnectAll();
    std::unique_lock lock(mutex_);
    workerEnded_.wait_for(lock, std::chrono::milliseconds(TerminateWaitTime), [this] { return live_ == 0; });
    std::list<Entry> entries;
    entries.swap(entries_);
    lock.unlock();
    // Every connection is shut down, so a worker still running is only finishing its
    // last handler call.
    for (Entry& entry : entries)
        if (entry.thread.joinable())
            entry.thread.join();
}

std::string TcpServer::BoundAddress() const
{
    if (!Active())
        return {};
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    return FormatAddress(reinterpret_cast<const sockaddr*>(&address));
}

int TcpServer::BoundPort() const
{
    if (!Active())
        return 0;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    const auto* any = reinterpret_cast<const sockaddr*>(&address);
    return any->sa_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6*>(any)->sin6_port)
                                      : ntohs(reinterpret_cast<const sockaddr_in*>(any)->sin_port);
}

void TcpServer::ForEachConnection(const std::function<void(TcpConnection&)>& action)
{
    std::lock_guard lock(mutex_);
    for (Entry& entry : entries_)
        if (!entry.finished)
            action(entry.worker->Connection());
}

std::size_t TcpServer::ConnectionCount() const
{
    std::lock_guard lock(mutex_);
    return live_;
}

void TcpServer::DisconnectAll()
{
    std::lock_guard lock(mutex_);
    for (Entry& entry : entries_)
        if (!entry.finished)
            entry.worker->Connection().Shutdown();
}

void TcpServer::acceptLoop()
{
    for (;;) {
        const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // the listener was shut down (or broke): stop accepting
        }
        reapFinished();
        std::lock_guard lock(mutex_);
        if (stopping_) {
            ::close(socket);
            return;
        }
        if (MaxConnections > 0 && live_ >= MaxConnections) {
            ::close(socket);
            continue;
        }
        Entry& entry = entries_.emplace_back();
        entry.worker = ThreadClass ? ThreadClass(socket) : std::make_unique<TcpServerWorker>(socket);
        ++live_;
        entry.thread = std::thread([this, &entry] { serve(entry); });
    }
}

void TcpServer::serve(Entry& entry)
{
    TcpConnection& connection = entry.worker->Connection();
    try {
        while (connection.Connected()) {
            ExecuteHandler handler;
            {
                std::lock_guard lock(mutex_);
                handler = onExecute_;
            }
            if (!handler)
                connection.WaitForData(true); // nothing to do but notice the close
            else
                handler(*entry.worker);
        }
    } catch (...) {
        // An error ends this connection only.
    }
    {
        std::lock_guard lock(mutex_);
        entry.finished = true;
        --live_;
        connection.Disconnect(); // under the lock: no sender holds it meanwhile
    }
    workerEnded_.notify_all();
}

void TcpServer::reapFinished()
{
    std::list<Entry> done;
    {
        std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end();) {
            auto next = std::next(it);
            if (it->finished)
                done.splice(done.end(), entries_, it);
            it = next;
        }
    }
    for (Entry& entry : done)
        entry.thread.join();
}

} // namespace pell::net
