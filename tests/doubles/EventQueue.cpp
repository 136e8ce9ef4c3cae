#include "doubles/EventQueue.h"

namespace pell::test {

void EventQueue::post(std::function<void()> routine)
{
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(routine));
    }
    posted_.notify_all();
}

int EventQueue::pump()
{
    int ran = 0;
    for (;;) {
        std::function<void()> routine;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                return ran;
            routine = std::move(queue_.front());
            queue_.pop_front();
        }
        routine();
        ++ran;
    }
}

bool EventQueue::pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        pump();
        if (condition())
            return true;
        std::unique_lock lock(mutex_);
        if (std::chrono::steady_clock::now() >= deadline)
            return condition();
        posted_.wait_for(lock, std::chrono::milliseconds(5), [this] { return !queue_.empty(); });
    }
}

std::size_t EventQueue::pending() const
{
    std::lock_guard lock(mutex_);
    return queue_.size();
}

} // namespace pell::test
