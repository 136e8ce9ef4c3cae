#include "irc/CtcpReplyLimiter.h"

namespace pell::irc {

bool CtcpReplyLimiter::Allow()
{
    const Clock::time_point now = now_();
    while (!sent_.empty() && now - sent_.front() >= window_)
        sent_.pop_front();
    if (sent_.size() >= burst_)
        return false;
    sent_.push_back(now);
    return true;
}

} // namespace pell::irc
