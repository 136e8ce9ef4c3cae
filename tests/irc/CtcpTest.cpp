#include "EngineHarness.h"

#include "irc/IrcCtcp.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::Events;
using namespace std::chrono_literals;

// Registered as "me" in #c; sent lines are logged among the events as "Send ...".
// Texts are written with "^" for 0x01, both ways.
struct CtcpHarness : test::EngineHarness {
    CtcpHarness()
    {
        irc.Replies.Version = "Tarn-IRC";
        irc.Replies.ClientInfo = "Tarn-IRC";
        line(":me!me@h JOIN #c");
        irc.OnSend = [this](const std::string& sentLine) { events.push_back("Send " + swap(sentLine, '\x01', '^')); };
        irc.ReplyLimiter().SetClock([this] { return now; });
        clear();
    }
    static std::string swap(std::string text, char from, char to)
    {
        std::replace(text.begin(), text.end(), from, to);
        return text;
    }
    // A PRIVMSG or NOTICE from bob.
    Events from(const std::string& command, const std::string& target, const std::string& text)
    {
        Events out;
        for (const std::string& event : feed({":bob!b@h " + command + " " + target + " :" + swap(text, '^', '\x01')}))
            out.push_back(swap(event, '\x01', '^'));
        return out;
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
    EXPECT_EQ(h.from("PRIVMSG", "me", "^VERSION^"), Events{});
    EXPECT_EQ(h.from("PRIVMSG", "me", "^PING 1^"), Events{"Send NOTICE bob :^PING 1^"});
    h.irc.OnCTCPQuery = nullptr;
    EXPECT_EQ(h.from("PRIVMSG", "#c", "^VERSION^"), Events{"Send NOTICE bob :^VERSION Tarn-IRC^"});
}

TEST(Ctcp, TimeIsAnsweredWithTheLocalDateAndTime)
{
    CtcpHarness h;
    const std::time_t before = std::time(nullptr);
    const Events events = h.from("PRIVMSG", "me", "^TIME^");
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[1] == "Send NOTICE bob :^TIME " + CtcpTimeText(before) + "^" ||
                events[1] == "Send NOTICE bob :^TIME " + CtcpTimeText(after) + "^")
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
