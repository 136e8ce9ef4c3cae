#pragma once

#include "dcc/DccText.h"
#include "platform/GuiDispatcher.h"
#include "platform/WorkerLink.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace pell::dcc {

// What the workers of one transfer window tell it, gathered on their threads and handed
// to the GUI thread in batches. A fast transfer makes several status lines per 4 KB; a
// hand-over per line would keep the GUI thread busy and hold the worker for nothing. A
// batch goes at most every FlushInterval ms while data flows, and before a worker waits
// (see DueIn), so the window is never much behind. Only the newest lines are kept.
class TransferReports {
public:
    static constexpr int FlushInterval = 50; // ms

    struct Batch {
        std::vector<StatusLine> Lines;
        std::optional<std::uint64_t> Progress;
    };
    using Deliver = std::function<void(Batch&)>;

    // `deliver` runs on the GUI thread, only while the link is not cancelled.
    TransferReports(platform::GuiDispatcher& gui, std::shared_ptr<platform::WorkerLink> link, std::size_t maxLines,
                    Deliver deliver);
    TransferReports(const TransferReports&) = delete;
    TransferReports& operator=(const TransferReports&) = delete;

    // Worker side. Each returns false once the owner has gone.
    bool Status(StatusLine line);
    bool Progress(std::uint64_t bytes);
    // Before a wait: the milliseconds until the pending batch may go (0: now), or -1
    // when nothing waits to go.
    int DueIn() const;
    // Sends the pending batch on its way without waiting.
    void Flush();
    // Runs the pending batch on the GUI thread and waits; false when the owner has gone.
    bool FlushAndWait();

    // GUI side: hands over whatever is pending now.
    void DeliverPending();

private:
    using Clock = std::chrono::steady_clock;
    void post(std::unique_lock<std::mutex>& lock);
    void maybePost(std::unique_lock<std::mutex>& lock);

    platform::GuiDispatcher& gui_;
    std::shared_ptr<platform::WorkerLink> link_;
    const std::size_t maxLines_;
    Deliver deliver_;
    mutable std::mutex mutex_;
    std::deque<StatusLine> lines_;
    std::optional<std::uint64_t> progress_;
    bool queued_ = false; // a batch is on its way to the GUI thread
    Clock::time_point last_{};
};

} // namespace pell::dcc
