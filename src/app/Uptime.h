#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace pell::app {

// The left status panel: the time since start-up as H:MM:SS. Hours are not reduced
// modulo 24 and have at least two digits ("09:05:07", "100:00:00"). A negative span
// shows as zero.
std::string uptimeText(std::chrono::seconds elapsed);

// The middle status panel: the local time in the long time format without its seconds
// and the separator before them (a 12-hour clock keeps its AM/PM), " --- ", the short date.
// The formats are strftime formats; "%X" and "%x" follow the user's locale.
std::string clockText(const std::tm& local, const char* longTimeFormat = "%X",
                      const char* shortDateFormat = "%x");

// Measures the time since start-up on the monotonic clock, so a change of the system
// clock or of daylight saving time does not make the uptime jump.
class Uptime {
public:
    using Clock = std::chrono::steady_clock;

    explicit Uptime(Clock::time_point start = Clock::now()) : start_(start) {}

    Clock::time_point start() const { return start_; }
    std::string text(Clock::time_point now = Clock::now()) const
    {
        return uptimeText(std::chrono::duration_cast<std::chrono::seconds>(now - start_));
    }

private:
    Clock::time_point start_;
};

} // namespace pell::app
