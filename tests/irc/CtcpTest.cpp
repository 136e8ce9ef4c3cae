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

TEST(Ctcp, TimeIsAnsweredWithTheLocalDateAndTime)
{
    test::EngineHarness h;
    const std::time_t before = std::time(nullptr);
    h.line(":bob!b@h PRIVMSG me :\x01TIME\x01");
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_TRUE(h.sent[0] == "NOTICE bob :\x01TIME " + CtcpTimeText(before) + "\x01" ||
                h.sent[0] == "NOTICE bob :\x01TIME " + CtcpTimeText(after) + "\x01")
        << h.sent[0];
    std::tm local{};
    const std::time_t moment = 0;
    localtime_r(&moment, &local);
    char expected[64];
    std::strftime(expected, sizeof expected, "Ortszeit ist %x %X", &local);
    EXPECT_EQ(CtcpTimeText(0), expected);
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
