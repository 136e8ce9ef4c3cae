#include "net/QueuedWriter.h"

#include "net/TcpConnection.h"

#include <cerrno>

namespace pell::net {

namespace {

constexpr std::size_t kChunk = 65536;

} // namespace

QueuedWriter::QueuedWriter(TcpConnection& connection, std::size_t bound)
    : connection_(connection), bound_(bound)
{
}

QueuedWriter::~QueuedWriter()
{
    Stop();
}

void QueuedWriter::Start()
{
    if (thread_.joinable())
        Stop();
    std::lock_guard lock(mutex_);
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void QueuedWriter::WriteLine(std::string_view text)
{
    std::unique_lock lock(mutex_);
    if (failure_)
        throw *failure_;
    if (queued_.size() + inFlight_ + text.size() + 2 > bound_) {
        fail(lock, TransportError::socket(ENOBUFS));
        throw TransportError::socket(ENOBUFS);
    }
    queued_.append(text);
    queued_.append("\r\n");
    lock.unlock();
    changed_.notify_all();
}

bool QueuedWriter::Flush(std::chrono::milliseconds limit)
{
    std::unique_lock lock(mutex_);
    if (!thread_.joinable())
        return queued_.empty(); // nothing would empty the queue
    changed_.wait_for(lock, limit, [this] { return failure_ || (queued_.empty() && inFlight_ == 0); });
    return !failure_ && queued_.empty() && inFlight_ == 0;
}

void QueuedWriter::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    queued_.clear();
    failure_.reset();
}

void QueuedWriter::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
        if (stopping_ || failure_)
            return;
        // What waits goes in few sends of a bounded size, so that the bytes counted
        // against the bound are the ones that have not yet gone.
        std::string chunk;
        if (queued_.size() <= kChunk) {
            chunk = std::move(queued_);
            queued_.clear();
        } else {
            chunk = queued_.substr(0, kChunk);
            queued_.erase(0, kChunk);
        }
        inFlight_ = chunk.size();
        lock.unlock();
        std::optional<TransportError> error;
        try {
            connection_.WriteBytes(chunk);
        } catch (const TransportError& caught) {
            error = caught;
        }
        lock.lock();
        inFlight_ = 0;
        if (error || failure_) {
            if (!failure_) // a bound reached meanwhile keeps its own error
                fail(lock, *error);
            return;
        }
        changed_.notify_all();
    }
}

void QueuedWriter::fail(std::unique_lock<std::mutex>& lock, const TransportError& error)
{
    failure_ = error;
    queued_.clear();
    lock.unlock();
    changed_.notify_all();
    // The connection is lost: the reader wakes up and ends, Connected() turns false.
    connection_.Shutdown();
    lock.lock();
}

} // namespace pell::net
