#pragma once

#include "platform/GuiDispatcher.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pell::test {

// A GUI thread without a window system: routines posted from other threads wait in a
// queue until the owner pumps it. The thread that creates it counts as the GUI thread.
// The command-line client runs on it, and tests drive it by hand.
class EventQueue : public platform::GuiDispatcher {
public:
    EventQueue() : guiThread_(std::this_thread::get_id()) {}

    void post(std::function<void()> routine) override;
    bool isGuiThread() const override { return std::this_thread::get_id() == guiThread_; }
    void processEvents() override { pump(); }

    // Runs every queued routine (and those they queue); returns how many ran.
    int pump();
    // Pumps until the condition holds or the time is up; returns the condition.
    bool pumpUntil(const std::function<bool()>& condition,
                   std::chrono::milliseconds limit = std::chrono::milliseconds(5000));
    std::size_t pending() const;

private:
    std::thread::id guiThread_;
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
};

} // namespace pell::test
