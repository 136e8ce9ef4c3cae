#pragma once

#include "net/TransportError.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace pell::net {

class TcpConnection;

// The writing side of a connection, off the caller's thread: lines wait in a bounded
// queue that a thread of their own puts on the socket, in order and byte for byte. A
// peer that stops reading fills the queue instead of holding the caller (the GUI).
class QueuedWriter {
public:
    // Some two thousand full IRC lines: far more than any paste or template run
    // queues while the server reads, small enough per session when it does not.
    static constexpr std::size_t DefaultBound = 1 << 20;

    explicit QueuedWriter(TcpConnection& connection, std::size_t bound = DefaultBound);
    ~QueuedWriter();
    QueuedWriter(const QueuedWriter&) = delete;
    QueuedWriter& operator=(const QueuedWriter&) = delete;

    // Starts the writer for a freshly connected socket; lines queued since the last
    // Stop go first.
    void Start();
    // Queues the text followed by CR LF and returns at once. Throws the socket error
    // once the writer has failed, or when the line would take the waiting bytes past
    // the bound: then the connection is shut down (it counts as lost) and nothing
    // more is queued.
    void WriteLine(std::string_view text);
    // Waits until every queued byte has gone to the socket, the writer failed or the
    // time is up; true when all went.
    bool Flush(std::chrono::milliseconds limit);
    // Ends the writer, drops what still waits and forgets a failure. A send stuck on a peer that does not
    // read holds it: shut the connection down first.
    void Stop();

private:
    void run();
    void fail(std::unique_lock<std::mutex>& lock, const TransportError& error);

    TcpConnection& connection_;
    const std::size_t bound_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string queued_;
    std::size_t inFlight_ = 0;
    bool stopping_ = false;
    std::optional<TransportError> failure_;
    std::thread thread_;
};

} // namespace pell::net
