#include "session/BlockCompressor.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <zstd.h>

namespace pell::session::BlockCompressor {

namespace {

// Chat text packs to about a quarter at this level, at a few hundred MB a second;
// higher levels gain little on blocks this small and fall behind a flood.
constexpr int kLevel = 2;

struct ContextDeleter {
    void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};

// A compression context and its output buffer, kept from block to block: making them
// costs more than packing a small block. Used by one thread at a time.
class Packer {
public:
    std::vector<unsigned char> pack(const char* bytes, std::size_t size)
    {
        if (!context_)
            context_.reset(ZSTD_createCCtx());
        if (!context_)
            return {};
        // Packed into the kept buffer, then copied out at its exact size.
        scratch_.resize(ZSTD_compressBound(size));
        const std::size_t written =
            ZSTD_compressCCtx(context_.get(), scratch_.data(), scratch_.size(), bytes, size, kLevel);
        if (ZSTD_isError(written) || written >= size)
            return {};
        return {scratch_.begin(), scratch_.begin() + static_cast<std::ptrdiff_t>(written)};
    }

private:
    std::unique_ptr<ZSTD_CCtx, ContextDeleter> context_;
    std::vector<unsigned char> scratch_;
};

using Job = std::packaged_task<std::vector<unsigned char>(Packer&)>;

class Worker {
public:
    ~Worker()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable())
            thread_.join();
    }

    // False when no thread can be had; the caller then does the work itself.
    bool post(Job& job)
    {
        const std::lock_guard lock(mutex_);
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { run(); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        jobs_.push_back(std::move(job));
        wake_.notify_one();
        return true;
    }

private:
    void run()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
                if (jobs_.empty())
                    return; // stopping, and every block is done
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job(packer_);
        }
    }

    // Owned here rather than by the thread, so they stay reachable and go with the worker.
    Packer packer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

Worker& worker()
{
    static Worker instance;
    return instance;
}

} // namespace

bool Decompress(const std::vector<unsigned char>& packed, char* out, std::size_t size)
{
    const std::size_t read = ZSTD_decompress(out, size, packed.data(), packed.size());
    return !ZSTD_isError(read) && read == size;
}

std::future<std::vector<unsigned char>> Submit(std::shared_ptr<const char[]> bytes, std::size_t size)
{
    Job job([bytes = std::move(bytes), size](Packer& packer) { return packer.pack(bytes.get(), size); });
    auto result = job.get_future();
    if (!worker().post(job)) {
        Packer packer;
        job(packer);
    }
    return result;
}

} // namespace pell::session::BlockCompressor
