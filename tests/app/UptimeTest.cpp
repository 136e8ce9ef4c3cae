#include "app/Uptime.h"

#include <gtest/gtest.h>

using namespace pell::app;
using namespace std::chrono;

namespace {

TEST(Uptime, HoursAreNotWrappedAndEveryFieldHasTwoDigits)
{
    const std::pair<seconds, const char*> cases[] = {
        {seconds(0), "00:00:00"},
        {hours(9) + minutes(5) + seconds(7), "09:05:07"},
        {seconds(59), "00:00:59"},
        {seconds(60), "00:01:00"},
        {hours(23) + minutes(59) + seconds(59), "23:59:59"},
        {hours(24), "24:00:00"},
        {hours(100), "100:00:00"},
        {hours(1000) + seconds(1), "1000:00:01"},
        {seconds(-5), "00:00:00"},
    };
    for (const auto& [elapsed, text] : cases)
        EXPECT_EQ(uptimeText(elapsed), text) << elapsed.count();
}

TEST(Uptime, CountsWholeSecondsFromTheStart)
{
    const Uptime::Clock::time_point start{};
    const Uptime uptime(start);
    EXPECT_EQ(uptime.text(start + milliseconds(999)), "00:00:00");
    EXPECT_EQ(uptime.text(start + milliseconds(3'661'999)), "01:01:01");
}

TEST(Uptime, ClockDropsTheSecondsAndAddsTheDate)
{
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 9;
    local.tm_hour = 7;
    local.tm_min = 5;
    local.tm_sec = 42;
    EXPECT_EQ(clockText(local, "%H:%M:%S", "%d.%m.%Y"), "07:05 --- 09.03.2024");
    EXPECT_EQ(clockText(local, "%X", "%x"), "07:05 --- 03/09/24"); // the C locale
    EXPECT_EQ(clockText(local, "", "%Y"), " --- 2024");
}

} // namespace
