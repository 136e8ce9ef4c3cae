#include "EngineHarness.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::EngineHarness;
using test::Events;

TEST(Dispatch, Transcript)
{
    test::runTranscript("dispatch.transcript");
}

TEST(Dispatch, RawSuppressStopsTheWholeLineAndPingIsAnsweredWithItsParameter)
{
    EngineHarness h(true);
    h.irc.OnRaw = [&h](auto user, auto& command, auto& content, bool& suppress) {
        h.events.push_back("Raw " + test::word(user) + " " + command + " " + content);
        suppress = command == "PING";
    };
    EXPECT_EQ(h.feed({"PING :abc"}), Events{"Raw  PING :abc"});
    EXPECT_TRUE(h.sent.empty());
    EXPECT_EQ(h.feed({":bob!b@h PRIVMSG #c :hi"}), (Events{"Raw bob PRIVMSG #c :hi", "Message bob #c hi"}));
    h.irc.OnRaw = nullptr;
    EXPECT_EQ(h.feed({":srv PING :abc"}), Events{"PingPong"});
    EXPECT_EQ(h.sent, Events{"PONG :abc"});
    EXPECT_TRUE(h.fake.waitForReceived("PONG :abc\r\n"));
}

TEST(Dispatch, OwnPartAndKickSeeTheClosingChannelThenDestroyIt)
{
    for (const auto& [line, closeType] : {std::pair{":me!me@h PART #c :later", 1}, {":alice!a@h KICK #c me :out", 2}}) {
        EngineHarness h(true);
        std::string seen;
        auto look = [&](TIdIRCChannel* channel) {
            ASSERT_EQ(h.irc.Channels.Get("#c"), channel); // still tracked
            seen = channel->Name + " active=" + std::to_string(channel->Active) + " close=" +
                   std::to_string(channel->CloseType);
        };
        h.irc.OnParted = look;
        h.irc.OnKicked = [&](TIdIRCUser* kicker, TIdIRCChannel* channel) {
            EXPECT_EQ(kicker->Reason, "out");
            look(channel);
        };
        h.line(line);
        EXPECT_EQ(seen, "#c active=0 close=" + std::to_string(closeType)) << line;
        EXPECT_EQ(h.irc.Channels.Get("#c"), nullptr) << line;
    }
}

TEST(Dispatch, EventsSeeTheRecordsAsTheyWereBeforeTheLine)
{
    EngineHarness h(true);
    std::string seen;
    h.irc.OnKick = [&](TIdIRCUser* kicker, TIdIRCUser* victim, TIdIRCChannel*) {
        seen = kicker->Reason + "/" + victim->Reason + "/" + std::to_string(victim->Count);
    };
    h.line(":alice!a@h KICK #c bob :behave");
    EXPECT_EQ(seen, "behave/behave/2"); // the membership and the event hold bob
    EXPECT_EQ(h.irc.Users.Get("bob")->Count, 1);
    h.line(":alice!a@h KICK #c nobody :x");
    EXPECT_EQ(seen, "x/x/1");
    EXPECT_EQ(h.irc.Users.Get("nobody"), nullptr);

    TIdIRCUser* carol = h.irc.Users.Get("carol");
    h.irc.OnNickChange = [&](TIdIRCUser* user, const std::string& newNick) { seen = user->Nick() + "->" + newNick; };
    h.line(":carol!c@h NICK :caroline");
    EXPECT_EQ(seen, "carol->caroline");
    EXPECT_EQ(h.irc.Users.Get("caroline"), carol);

    // The sender is held for the line, so the event sees one more reference.
    h.irc.OnQuit = [&](TIdIRCUser* user) { seen = std::to_string(user->Count); };
    h.line(":stranger!s@h QUIT :bye");
    EXPECT_EQ(seen, "1");
    h.line(":alice!a@other QUIT :bye");
    EXPECT_EQ(seen, "2");
}

TEST(Dispatch, AReconnectFromAHandlerEndsTheLineAndNothingIsHandledWhileDisconnected)
{
    EngineHarness h(true);
    // A reconnect from a handler ends the line: no destroyed record is touched.
    h.irc.OnKick = [&](auto, auto, auto) { h.irc.Connect(3000); };
    h.line(":alice!a@h KICK #c bob :behave");
    EXPECT_EQ(h.irc.Channels.Count(), 0);
    EXPECT_EQ(h.irc.Users.Count(), 1);
    h.irc.OnQuit = [&](auto) { h.irc.Connect(3000); };
    h.line(":srv 001 me :Welcome");
    h.line(":bob!b@h QUIT :x");
    EXPECT_EQ(h.irc.Users.Count(), 1);

    h.irc.Disconnect(true);
    h.clear();
    EXPECT_EQ(h.feed({"PING :x", ":bob!b@h PRIVMSG #c :hi"}), Events{});
    EXPECT_TRUE(h.sent.empty());
}

} // namespace
} // namespace pell::irc
