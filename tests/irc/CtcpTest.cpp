#include "EngineHarness.h"

#include "irc/IrcCtcp.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::EngineHarness;
using Events = std::vector<std::string>;

// Registered as "me" in #c; sent lines are logged among the events as "Send ...",
// with 0x01 shown as "^".
struct CtcpHarness : EngineHarness {
    CtcpHarness()
    {
        irc.Replies.Version = "Tarn-IRC";
        irc.Replies.ClientInfo = "Tarn-IRC";
        line(":me!me@h JOIN #c");
        irc.OnSend = [this](const std::string& sentLine) { events.push_back("Send " + visible(sentLine)); };
        irc.ReplyLimiter().SetClock([this] { return now; });
        clear();
    }
    static std::string visible(std::string text)
    {
        for (char& c : text)
            if (c == '\x01')
                c = '^';
        return text;
    }
    // A PRIVMSG or NOTICE from bob whose text is written with "^" for 0x01.
    Events from(const std::string& command, const std::string& target, const std::string& text)
    {
        std::string wire = text;
        for (char& c : wire)
            if (c == '^')
                c = '\x01';
        events.clear();
        line(":bob!b@h " + command + " " + target + " :" + wire);
        Events out;
        for (const std::string& event : events)
            out.push_back(visible(event));
        return out;
    }
    CtcpReplyLimiter::Clock::time_point now{};
};

struct RequestCase {
    const char* target;
    const char* text;
    Events expected;
};

class CtcpRequests : public ::testing::TestWithParam<RequestCase> {};

TEST_P(CtcpRequests, AreReportedAndAnswered)
{
    CtcpHarness h;
    EXPECT_EQ(h.from("PRIVMSG", GetParam().target, GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, CtcpRequests, ::testing::Values(
    RequestCase{"me", "^VERSION^", {"CTCPQuery bob - VERSION ", "Send NOTICE bob :^VERSION Tarn-IRC^"}},
    RequestCase{"#c", "^CLIENTINFO^", {"CTCPQuery bob #c CLIENTINFO ", "Send NOTICE bob :^CLIENTINFO Tarn-IRC^"}},
    RequestCase{"me", "^FINGER^", {"CTCPQuery bob - FINGER ", "Send NOTICE bob :^FINGER ^"}},
    RequestCase{"me", "^USERINFO^", {"CTCPQuery bob - USERINFO ", "Send NOTICE bob :^USERINFO ^"}},
    RequestCase{"me", "^PING 123 456^", {"CTCPQuery bob - PING 123 456", "Send NOTICE bob :^PING 123 456^"}},
    RequestCase{"me", "^PING 1^^DCC SEND evil 1 2 3^",
                {"CTCPQuery bob - PING 1^^DCC SEND evil 1 2 3", "Send NOTICE bob :^PING 1DCC SEND evil 1 2 3^"}},
    RequestCase{"me", "^version^", {"CTCPQuery bob - version "}},
    RequestCase{"me", "^SOUND ding.wav^", {"CTCPQuery bob - SOUND ding.wav"}},
    RequestCase{"me", "^ERROR x^", {"CTCPQuery bob - ERROR x"}},
    RequestCase{"me", "^SOURCE^", {"CTCPQuery bob - SOURCE "}},
    RequestCase{"#c", "^ACTION waves^", {"Action bob #c waves"}},
    RequestCase{"me", "^ACTION waves^", {"Action bob - waves"}},
    RequestCase{"#c", "^ACTION^", {"Action bob #c "}},
    RequestCase{"me", "^", {"CTCPQuery bob -  "}},
    RequestCase{"me", "^PING 123", {"CTCPQuery bob - PING 12", "Send NOTICE bob :^PING 12^"}},
    RequestCase{"me", "^DCC SEND file.txt 3232235777 5000 1024^", {"DCCSend bob 3232235777 5000 file.txt 1024"}},
    RequestCase{"me", "^DCC CHAT chat 3232235777 5001^", {"DCCChat bob 3232235777 5001"}},
    RequestCase{"me", "^DCC RESUME file.txt 5000 512^", {"DCCResume bob 5000 file.txt 512"}},
    RequestCase{"me", "^DCC ACCEPT file.txt 5000 512^", {"DCCAccept bob 5000 file.txt 512"}},
    RequestCase{"me", "^DCC SEND my file.txt 1 2 3^", {"DCCSend bob file.txt 1 my 2"}},
    RequestCase{"me", "^DCC SEND file.txt 3232235777^", {"DCCSend bob 3232235777  file.txt "}},
    RequestCase{"me", "^DCC SEND^", {"DCCSend bob    "}},
    RequestCase{"me", "^DCC CHAT^", {"DCCChat bob  "}},
    RequestCase{"me", "^DCC  SEND a 1 2 3^", {}},
    RequestCase{"me", "^DCC send a 1 2 3^", {}},
    RequestCase{"me", "^DCC^", {}}));

struct ReplyCase {
    const char* text;
    Events expected;
};

class CtcpReplies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(CtcpReplies, AreReportedButNeverAnswered)
{
    CtcpHarness h;
    EXPECT_EQ(h.from("NOTICE", "me", GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, CtcpReplies, ::testing::Values(
    ReplyCase{"^VERSION Tarn-IRC 1.0^", {"CTCPReply bob - VERSION Tarn-IRC 1.0"}},
    ReplyCase{"^PING 123^", {"CTCPReply bob - PING 123"}},
    ReplyCase{"^whatever x^", {"CTCPReply bob - whatever x"}},
    ReplyCase{"^ACTION x^", {"CTCPReply bob - ACTION x"}},
    ReplyCase{"^DCC SEND file.txt 3232235777 5000 1024^", {}},
    ReplyCase{"^", {"CTCPReply bob -  "}}));

TEST(Ctcp, SuppressedRequestGetsNoReply)
{
    CtcpHarness h;
    h.irc.OnCTCPQuery = [](auto, auto, auto& command, auto&, bool& suppress) { suppress = command == "VERSION"; };
    EXPECT_EQ(h.from("PRIVMSG", "me", "^VERSION^"), Events{});
    EXPECT_EQ(h.from("PRIVMSG", "me", "^PING 1^"), Events{"Send NOTICE bob :^PING 1^"});
}

TEST(Ctcp, RequestsAreAnsweredWithoutAQueryHandler)
{
    CtcpHarness h;
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
    const std::string reply = events[1];
    EXPECT_TRUE(reply == "Send NOTICE bob :^TIME " + CtcpTimeText(before) + "^" ||
                reply == "Send NOTICE bob :^TIME " + CtcpTimeText(after) + "^")
        << reply;
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
    auto replies = [&] {
        int sent = 0;
        for (const std::string& event : h.events)
            sent += event.rfind("Send NOTICE", 0) == 0;
        return sent;
    };
    h.clear();
    for (const char* nick : {"a", "b", "c", "d", "e"})
        h.line(std::string(":") + nick + "!x@h PRIVMSG me :\x01VERSION\x01");
    EXPECT_EQ(replies(), 3);
    int queries = 0;
    for (const std::string& event : h.events)
        queries += event.rfind("CTCPQuery", 0) == 0;
    EXPECT_EQ(queries, 5); // every request is still reported
    h.now += std::chrono::milliseconds(9999);
    h.clear();
    h.line(":f!x@h PRIVMSG me :\x01PING 1\x01");
    EXPECT_EQ(replies(), 0);
    h.now += std::chrono::milliseconds(1);
    h.line(":g!x@h PRIVMSG me :\x01PING 2\x01");
    EXPECT_EQ(replies(), 1);
}

TEST(CtcpLimiter, CountsAWindowThatSlides)
{
    CtcpReplyLimiter limiter;
    CtcpReplyLimiter::Clock::time_point now{};
    limiter.SetClock([&] { return now; });
    using std::chrono::seconds;
    EXPECT_TRUE(limiter.Allow()); // t=0
    now += seconds(4);
    EXPECT_TRUE(limiter.Allow()); // t=4
    EXPECT_TRUE(limiter.Allow()); // t=4
    EXPECT_FALSE(limiter.Allow());
    now += seconds(6); // t=10: the reply of t=0 has left the window
    EXPECT_TRUE(limiter.Allow());
    EXPECT_FALSE(limiter.Allow());
    now += seconds(3); // t=13: still three in (3, 13]
    EXPECT_FALSE(limiter.Allow());
    now += seconds(1); // t=14: both of t=4 gone
    EXPECT_TRUE(limiter.Allow());
    EXPECT_TRUE(limiter.Allow());
    EXPECT_FALSE(limiter.Allow());
}

struct SplitCase {
    const char* text;
    const char* command;
    const char* args;
};

class CtcpSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CtcpSplit, DropsTheLastCharacterUnseen)
{
    const CtcpText split = SplitCtcp(GetParam().text);
    EXPECT_EQ(split.Command, GetParam().command);
    EXPECT_EQ(split.Args, GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(Table, CtcpSplit, ::testing::Values(
    SplitCase{"\x01VERSION\x01", "VERSION", ""},
    SplitCase{"\x01PING 123 456\x01", "PING", "123 456"},
    SplitCase{"\x01PING 123", "PING", "12"},
    SplitCase{"\x01VERSION", "VERSIO", ""},
    SplitCase{"\x01VERSION ", "VERSION", ""},
    SplitCase{"\x01 \x01", "", ""},
    SplitCase{"\x01", "", ""},
    SplitCase{"\x01\x01", "", ""}));

TEST(DccWords, EveryBlankEndsAWord)
{
    EXPECT_EQ(SplitDccWords("SEND a 1"), (std::vector<std::string_view>{"SEND", "a", "1"}));
    EXPECT_EQ(SplitDccWords("SEND  a "), (std::vector<std::string_view>{"SEND", "", "a", ""}));
    EXPECT_EQ(SplitDccWords(""), (std::vector<std::string_view>{""}));
}

} // namespace
} // namespace pell::irc
