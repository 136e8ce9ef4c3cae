#include "session/LineTime.h"

#include <ctime>

namespace pell::session {

namespace {

std::string format(std::int64_t unixSeconds, const char* pattern)
{
    const auto seconds = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return {};
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, pattern, &local);
    return std::string(text, length);
}

} // namespace

std::string TimeStamp(std::int64_t unixSeconds)
{
    return format(unixSeconds, "[%H:%M] ");
}

std::string LogTime(std::int64_t unixSeconds)
{
    return format(unixSeconds, "%Y-%m-%d %H:%M:%S");
}

} // namespace pell::session
