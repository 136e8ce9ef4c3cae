#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>

namespace pell::irc {

// Allows at most a burst of automatic CTCP replies within any window, counting every
// sender together. A flood of CTCP requests from many nicks would otherwise have us
// answer each one and get us disconnected by the server for excess flood.
class CtcpReplyLimiter {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kBurst = 3;
    static constexpr std::chrono::milliseconds kWindow{10000};

    explicit CtcpReplyLimiter(std::size_t burst = kBurst, std::chrono::milliseconds window = kWindow)
        : burst_(burst), window_(window), now_([] { return Clock::now(); })
    {
    }

    // True when a reply may go out now; the reply is then counted.
    bool Allow();
    void SetClock(std::function<Clock::time_point()> now) { now_ = std::move(now); }
    void Reset() { sent_.clear(); }

private:
    std::size_t burst_;
    std::chrono::milliseconds window_;
    std::function<Clock::time_point()> now_;
    std::deque<Clock::time_point> sent_; // times of the replies still inside the window
};

} // namespace pell::irc
