#pragma once

#include "platform/GuiDispatcher.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace pell::platform {

// The shared, cancellable tie between a worker thread and its owner on the GUI thread.
// A worker hands routines to the GUI thread through it and waits; the owner cancels it
// before it goes away, which wakes a waiting worker and turns every routine not yet run
// into a no-op. So a late report never reaches a destroyed owner, and an owner that
// stops its worker while the worker waits for the GUI thread does not deadlock.
class WorkerLink : public std::enable_shared_from_this<WorkerLink> {
public:
    static std::shared_ptr<WorkerLink> create() { return std::shared_ptr<WorkerLink>(new WorkerLink); }

    // Owner side (GUI thread): no routine runs after this returns, and waiting
    // workers wake up.
    void cancel();
    bool cancelled() const;

    // Worker side: runs the routine on the GUI thread and waits until it has run.
    // Returns false when the link was cancelled first; the routine then never runs.
    // Called on the GUI thread itself, it runs the routine directly.
    bool runAndWait(GuiDispatcher& gui, std::function<void()> routine);

    // Worker side: queues the routine without waiting; it is dropped when the link
    // is cancelled before the GUI thread gets to it. After cancel() has returned, post
    // no longer touches the dispatcher at all.
    void post(GuiDispatcher& gui, std::function<void()> routine);

private:
    WorkerLink() = default;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool cancelled_ = false;
};

} // namespace pell::platform
