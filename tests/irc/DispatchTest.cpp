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

TEST(Dispatch, RegistrationEndsWithWelcomeOrMotdAndRepliesActWithoutOnSystem)
{
    EngineHarness h;
    EXPECT_EQ(h.irc.WelcomeServer(), "srv");
    h.irc.Connect(3000);
    EXPECT_EQ(h.irc.State(), csLoggingOn);
    h.line(":other 375 me :- other Message of the day -");
    EXPECT_EQ(h.irc.State(), csConnected);
    EXPECT_EQ(h.irc.WelcomeServer(), "srv"); // only 001 to 004 name it

    h.irc.OnSystem = nullptr;
    h.irc.Connect(3000);
    h.line(":srv2 004 me srv2 version");
    EXPECT_EQ(h.irc.State(), csConnected);
    EXPECT_EQ(h.irc.WelcomeServer(), "srv2");
    h.feed({":me!me@h JOIN #c", ":srv 353 me = #c :@alice"});
    EXPECT_EQ(test::stateOf(h.irc, "#c"), "alice:1");
}

// 100 list entries: a report at the start, at 40 and 79 entries, and at the end.
TEST(Dispatch, ChannelListArrivesInBatches)
{
    EngineHarness h;
    std::vector<std::string> lines{":srv 321 me Channel :Users  Name"};
    for (int i = 0; i < 100; ++i)
        lines.push_back(":srv 322 me #c" + std::to_string(i) + " " + std::to_string(i) + " :topic " + std::to_string(i));
    lines.push_back(":srv 323 me :End of LIST");
    std::vector<std::string> firstEntries;
    auto record = h.irc.OnList;
    h.irc.OnList = [&](const std::vector<std::string>& chans, int position, bool last) {
        record(chans, position, last);
        if (last)
            firstEntries.assign(chans.begin(), chans.begin() + 2);
    };
    EXPECT_EQ(h.feed(lines), (Events{"List 0 0 more", "System  321 LIST Start of LIST", "List 40 0 more",
                                     "List 79 39 more", "System  323 LIST End of LIST", "List 100 78 last"}));
    EXPECT_EQ(firstEntries, (Events{"#c0 0 topic 0", "#c1 1 topic 1"}));
    EXPECT_TRUE(h.irc.ListBuffer.empty());
    EXPECT_EQ(h.irc.ListMark, 0);
    h.irc.OnList = nullptr; // then entries are not even kept
    EXPECT_EQ(h.feed({":srv 321 me Channel :Users", ":srv 322 me #c 3 :t", ":srv 323 me :End of LIST"}),
              (Events{"System  321 LIST Start of LIST", "System  323 LIST End of LIST"}));
    EXPECT_TRUE(h.irc.ListBuffer.empty());
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

TEST(Dispatch, OwnJoinAsksForModesBeforeJoinedFiresAndReplacesATrackedChannel)
{
    EngineHarness h(true);
    h.irc.OnSend = [&h](auto& line) { h.events.push_back("Send " + line); };
    h.irc.OnJoined = [&h](TIdIRCChannel* channel) {
        h.events.push_back("Joined " + channel->Name + (channel->Active ? " active" : ""));
    };
    EXPECT_EQ(h.feed({":me!me@h JOIN :#C"}), (Events{"Send MODE #C ", "Joined #C active"}));
    EXPECT_TRUE(h.fake.waitForReceived("MODE #C \r\n"));
    ASSERT_EQ(h.irc.Channels.Count(), 1);
    EXPECT_EQ(h.irc.Channels.Items(0)->Names.Count(), 0);
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
