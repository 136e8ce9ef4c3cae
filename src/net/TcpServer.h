#pragma once

#include "net/TcpConnection.h"

#include <any>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace pell::net {

// One accepted connection and the thread that serves it.
class TcpServerWorker {
public:
    explicit TcpServerWorker(int socket) : connection_(socket) {}
    virtual ~TcpServerWorker() = default;

    TcpConnection& Connection() { return connection_; }
    // Free for the owner of the server (the per-connection state of a transfer, say).
    std::any Data;

private:
    TcpConnection connection_;
};

// A listening socket with one worker thread per accepted connection. The worker calls
// the execute handler again and again while its connection is open; an error thrown
// by the handler ends that worker and closes its connection.
class TcpServer {
public:
    using ExecuteHandler = std::function<void(TcpServerWorker&)>;
    using WorkerFactory = std::function<std::unique_ptr<TcpServerWorker>(int socket)>;

    TcpServer() = default;
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    int DefaultPort = 0;            // bound on all local addresses; 0 lets the system choose
    int ListenQueue = 15;
    int TerminateWaitTime = 5000;   // ms Stop waits for workers to end on their own
    WorkerFactory ThreadClass;      // empty: plain TcpServerWorker
    std::size_t MaxConnections = 0; // further connections are closed at once; 0: no limit

    // Safe to change while workers run; each call of a worker picks up the current one.
    void SetOnExecute(ExecuteHandler handler);

    // Throws the bind error when the port cannot be taken.
    void Start();
    // Closes every connection and the listener, then waits for all threads.
    void Stop();
    bool Active() const { return listener_ >= 0; }
    std::string BoundAddress() const;
    int BoundPort() const;

    // Runs with the list of live workers locked, so none comes or goes meanwhile.
    void ForEachConnection(const std::function<void(TcpConnection&)>& action);
    std::size_t ConnectionCount() const;
    // Wakes every live worker by shutting its connection down.
    void DisconnectAll();

private:
    struct Entry {
        std::unique_ptr<TcpServerWorker> worker;
        std::thread thread;
        bool finished = false;
    };

    void acceptLoop();
    void serve(Entry& entry);
    void reapFinished();

    int listener_ = -1;
    std::thread acceptor_;
    mutable std::mutex mutex_;
    std::condition_variable workerEnded_;
    std::list<Entry> entries_;
    std::size_t live_ = 0;
    bool stopping_ = false;
    ExecuteHandler onExecute_;
};

} // namespace pell::net
