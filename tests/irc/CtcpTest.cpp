#include "EngineHarness.h"

#include "irc/IrcCtcp.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using namespace std::chrono_literals;

TEST(Ctcp, Transcript)
{
    test::runTranscript("ctcp.transcript");
}

// The local date and time of the moment asked, as the C locale writes them.
TEST(Ctcp, TimeIsAnsweredWithTheLocalDateAndTime)
{
    ::setenv("TZ", "CET-1", 1); // an hour east of UTC, needing no time zone files
    ::tzset();
    test::EngineHarness h;
    h.irc.TimeNow = [] { return std::time_t{1700000000}; }; // 2023-11-14 22:13:20 UTC
    h.line(":bob!b@h PRIVMSG me :\x01TIME\x01");
    EXPECT_EQ(h.sent, test::Events{"NOTICE bob :\x01TIME Ortszeit ist 11/14/23 23:13:20\x01"});
}

TEST(Ctcp, TheReplyWindowSlides)
{
    // The window slides: each reply leaves it ten seconds after it was sent.
    CtcpReplyLimiter limiter;
    CtcpReplyLimiter::Clock::time_point now{};
    limiter.SetClock([&] { return now; });
    std::string allowed;
    for (const auto step : {0s, 4s, 0s, 0s, 6s, 0s, 3s, 1s, 0s, 0s}) {
        now += step;
        allowed += limiter.Allow() ? '1' : '0';
    }
    EXPECT_EQ(allowed, "1110100110"); // t = 0 4 4 4 10 10 13 14 14 14
}

TEST(Ctcp, DccWordsEndAtEveryBlank)
{
    EXPECT_EQ(SplitDccWords("SEND a 1"), (std::vector<std::string_view>{"SEND", "a", "1"}));
    EXPECT_EQ(SplitDccWords("SEND  a "), (std::vector<std::string_view>{"SEND", "", "a", ""}));
    EXPECT_EQ(SplitDccWords(""), (std::vector<std::string_view>{""}));
}

} // namespace
} // namespace pell::irc
