#include "dcc/TransferReports.h"

#include <utility>

namespace pell::dcc {

TransferReports::TransferReports(platform::GuiDispatcher& gui, std::shared_ptr<platform::WorkerLink> link,
                                 std::size_t maxLines, Deliver deliver)
    : gui_(gui), link_(std::move(link)), maxLines_(maxLines), deliver_(std::move(deliver))
{
}

bool TransferReports::Status(StatusLine line)
{
    std::unique_lock lock(mutex_);
    lines_.push_back(std::move(line));
    if (lines_.size() > maxLines_)
        lines_.pop_front();
    maybePost(lock);
    return !link_->cancelled();
}

bool TransferReports::Progress(std::uint64_t bytes)
{
    std::unique_lock lock(mutex_);
    progress_ = bytes;
    maybePost(lock);
    return !link_->cancelled();
}

int TransferReports::DueIn() const
{
    std::lock_guard lock(mutex_);
    if (queued_ || (lines_.empty() && !progress_))
        return -1;
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last_).count();
    return since >= FlushInterval ? 0 : FlushInterval - static_cast<int>(since);
}

void TransferReports::Flush()
{
    std::unique_lock lock(mutex_);
    if (!queued_ && (!lines_.empty() || progress_))
        post(lock);
}

bool TransferReports::FlushAndWait()
{
    return link_->runAndWait(gui_, [this] { DeliverPending(); });
}

void TransferReports::maybePost(std::unique_lock<std::mutex>& lock)
{
    if (!queued_ && Clock::now() - last_ >= std::chrono::milliseconds(FlushInterval))
        post(lock);
}

void TransferReports::post(std::unique_lock<std::mutex>&)
{
    queued_ = true;
    last_ = Clock::now();
    // Dropped when the owner cancels the link first; otherwise the owner is still there.
    link_->post(gui_, [this] { DeliverPending(); });
}

void TransferReports::DeliverPending()
{
    Batch batch;
    {
        std::lock_guard lock(mutex_);
        batch.Lines.assign(std::make_move_iterator(lines_.begin()), std::make_move_iterator(lines_.end()));
        lines_.clear();
        batch.Progress = std::exchange(progress_, std::nullopt);
        queued_ = false;
    }
    if (!batch.Lines.empty() || batch.Progress)
        deliver_(batch);
}

} // namespace pell::dcc
