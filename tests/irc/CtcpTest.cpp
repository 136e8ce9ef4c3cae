#include "EngineHarness.h"

#include "irc/IrcCtcp.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::Events;
using namespace std::chrono_literals;

// Registered as "me" in #c, replying as "Tarn-IRC", with sent lines among the events
// as "Send ..." and a clock the test moves.
struct CtcpHarness : test::EngineHarness {
    CtcpHarness() : EngineHarness(true)
    {
        irc.Replies.Version = irc.Replies.ClientInfo = "Tarn-IRC";
        irc.OnSend = [this](const std::string& sentLine) { events.push_back("Send " + sentLine); };
        irc.ReplyLimiter().SetClock([this] { return now; });
    }
    CtcpReplyLimiter::Clock::time_point now{};
};

TEST(Ctcp, Transcript)
{
    test::runTranscript("ctcp.transcript");
}

TEST(Ctcp, SuppressedRequestsGetNoReplyAndWithoutAHandlerAllAreAnswered)
{
    CtcpHarness h;
    // Suppressed requests get no reply; without a handler every request is answered.
    h.irc.OnCTCPQuery = [](auto, auto, auto& command, auto&, bool& suppress) { suppress = command == "VERSION"; };
    EXPECT_EQ(h.feed({":bob!b@h PRIVMSG me :\x01VERSION\x01"}), Events{});
    EXPECT_EQ(h.feed({":bob!b@h PRIVMSG me :\x01PING 1\x01"}), Events{"Send NOTICE bob :\x01PING 1\x01"});
    h.irc.OnCTCPQuery = nullptr;
    EXPECT_EQ(h.feed({":bob!b@h PRIVMSG #c :\x01VERSION\x01"}), Events{"Send NOTICE bob :\x01VERSION Tarn-IRC\x01"});
}

TEST(Ctcp, TimeIsAnsweredWithTheLocalDateAndTime)
{
    CtcpHarness h;
    const std::time_t before = std::time(nullptr);
    const Events events = h.feed({":bob!b@h PRIVMSG me :\x01TIME\x01"});
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[1] == "Send NOTICE bob :\x01TIME " + CtcpTimeText(before) + "\x01" ||
                events[1] == "Send NOTICE bob :\x01TIME " + CtcpTimeText(after) + "\x01")
        << events[1];
    std::tm local{};
    const std::time_t moment = 0;
    localtime_r(&moment, &local);
    char expected[64];
    std::strftime(expected, sizeof expected, "Ortszeit ist %x %X", &local);
    EXPECT_EQ(CtcpTimeText(0), expected);
}

TEST(Ctcp, AutomaticRepliesAreLimitedToThreeInTenSeconds)
{
    CtcpHarness h;
    auto count = [&](const char* kind) {
        return std::count_if(h.events.begin(), h.events.end(), [&](auto& e) { return e.rfind(kind, 0) == 0; });
    };
    for (const char* nick : {"a", "b", "c", "d", "e"})
        h.line(std::string(":") + nick + "!x@h PRIVMSG me :\x01VERSION\x01");
    EXPECT_EQ(count("Send NOTICE"), 3);
    EXPECT_EQ(count("CTCPQuery"), 5); // every request is still reported
    h.now += 9999ms;
    h.clear();
    h.line(":f!x@h PRIVMSG me :\x01PING 1\x01");
    EXPECT_EQ(count("Send NOTICE"), 0);
    h.now += 1ms;
    h.line(":g!x@h PRIVMSG me :\x01PING 2\x01");
    EXPECT_EQ(count("Send NOTICE"), 1);

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
