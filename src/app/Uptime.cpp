#include "app/Uptime.h"

#include <cctype>
#include <cstdio>

namespace pell::app {

std::string uptimeText(std::chrono::seconds elapsed)
{
    const long long total = elapsed.count() < 0 ? 0 : elapsed.count();
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

std::string clockText(const std::tm& local, const char* longTimeFormat, const char* shortDateFormat)
{
    char time[64] = {};
    char date[64] = {};
    std::strftime(time, sizeof time, longTimeFormat, &local);
    std::strftime(date, sizeof date, shortDateFormat, &local);
    char seconds[8] = {};
    std::strftime(seconds, sizeof seconds, "%S", &local);
    std::string clock = time;
    // The seconds are the last two-digit group with a separator before them; cutting
    // the last three characters instead would cut "PM" in a 12-hour locale.
    for (std::size_t at = clock.rfind(seconds); at != std::string::npos && at > 0;
         at = clock.rfind(seconds, at - 1)) {
        const auto digit = [&](std::size_t i) { return i < clock.size() && std::isdigit(static_cast<unsigned char>(clock[i])); };
        if (!digit(at - 1) && !digit(at + 2)) {
            clock.erase(at - 1, 3);
            break;
        }
    }
    return clock + " --- " + date;
}

} // namespace pell::app
