#include "app/Uptime.h"

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
    std::string clock = time;
    clock.resize(clock.size() < 3 ? 0 : clock.size() - 3);
    return clock + " --- " + date;
}

} // namespace pell::app
