#include "platform/WorkerLink.h"

namespace pell::platform {

void WorkerLink::cancel()
{
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

bool WorkerLink::cancelled() const
{
    std::lock_guard lock(mutex_);
    return cancelled_;
}

bool WorkerLink::runAndWait(GuiDispatcher& gui, std::function<void()> routine)
{
    if (gui.isGuiThread()) {
        if (cancelled())
            return false;
        routine();
        return true;
    }

    struct Call {
        bool done = false;
    };
    auto call = std::make_shared<Call>();
    auto self = shared_from_this();
    gui.post([self, call, routine = std::move(routine)] {
        {
            std::lock_guard lock(self->mutex_);
            if (self->cancelled_)
                return;
        }
        // The owner cancels only on the GUI thread, so it cannot vanish while this runs.
        routine();
        {
            std::lock_guard lock(self->mutex_);
            call->done = true;
        }
        self->changed_.notify_all();
    });

    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return call->done || cancelled_; });
    return call->done;
}

void WorkerLink::post(GuiDispatcher& gui, std::function<void()> routine)
{
    auto self = shared_from_this();
    // Under the lock, so that once cancel() has returned nothing reaches the dispatcher:
    // a worker left to finish on its own may outlive it.
    std::lock_guard lock(mutex_);
    if (cancelled_)
        return;
    gui.post([self, routine = std::move(routine)] {
        {
            std::lock_guard lock(self->mutex_);
            if (self->cancelled_)
                return;
        }
        routine();
    });
}

} // namespace pell::platform
