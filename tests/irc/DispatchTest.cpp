#include "EngineHarness.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::EngineHarness;
using Events = std::vector<std::string>;

// Registered as "me", in #c with alice (op), bob (voice) and carol.
struct InChannel : EngineHarness {
    InChannel()
    {
        line(":me!me@h JOIN :#c");
        line(":srv 353 me = #c :@me @alice +bob carol");
        clear();
    }
};

struct LineCase {
    const char* line;
    Events expected;
};

class CommandEvents : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandEvents, RaiseTheirEventsWithTheirArguments)
{
    InChannel h;
    EXPECT_EQ(h.feed({GetParam().line}), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Table, CommandEvents, ::testing::Values(
    LineCase{":bob!b@h PRIVMSG #c :hello there", {"Message bob #c hello there"}},
    LineCase{":bob!b@h PRIVMSG me :psst", {"Message bob - psst"}},
    LineCase{":bob!b@h PRIVMSG #elsewhere :hi", {"Message bob - hi"}},
    LineCase{":bob!b@h PRIVMSG #C :case", {"Message bob #c case"}},
    LineCase{":bob!b@h NOTICE #c :note", {"Notice bob #c note"}},
    LineCase{":srv NOTICE * :*** Looking up your hostname", {"Notice  - *** Looking up your hostname"}},
    LineCase{":dave!d@h JOIN :#c", {"Join dave #c"}},
    LineCase{":dave!d@h JOIN :#nowhere", {"Join dave -"}},
    LineCase{":bob!b@h PART #c :bye", {"Part bob #c"}},
    LineCase{":bob!b@h PART #nowhere", {"Part bob -"}},
    LineCase{":alice!a@h KICK #c bob :behave", {"Kick alice bob #c"}},
    LineCase{":alice!a@h KICK #nowhere bob :x", {"Kick alice bob -"}},
    LineCase{":alice!a@h MODE #c +o-v a b", {"ChannelMode alice #c #c +o-v a b", "Op alice #c -", "Devoice alice #c -"}},
    LineCase{":alice!a@h MODE #c +k  key", {"ChannelMode alice #c #c +k key"}},
    LineCase{":alice!a@h MODE #nowhere +o bob", {}},
    LineCase{":alice!a@h MODE bob +i", {}},
    LineCase{":me MODE me :+i", {"UserMode +i", "UserModeChanged"}},
    LineCase{":me MODE me :-i", {"UserMode -i"}},
    LineCase{":me MODE ME :+i", {}},
    LineCase{":bob!b@h NICK :robert", {"NickChange bob robert"}},
    LineCase{":me!me@h NICK :mine", {"NickChanged me"}},
    LineCase{":ME!me@h NICK :mine", {"NickChange me mine"}},
    LineCase{":bob!b@h QUIT :Quit: gone", {"Quit bob Quit: gone"}},
    LineCase{":bob!b@h INVITE me :#secret", {"Invite bob #secret"}},
    LineCase{":oper!o@h KILL bob :flooding", {"Kill oper bob flooding"}},
    LineCase{":srv WALLOPS :restart soon", {"Wallops  restart soon"}},
    LineCase{":alice!a@h TOPIC #c :news", {"Topic alice #c #c news"}},
    LineCase{":alice!a@h TOPIC #C :news", {"Topic alice #c #c news"}},
    LineCase{":alice!a@h TOPIC #nowhere :news", {}},
    LineCase{"ERROR :Closing Link: me (Bad password)", {"Unknown  ERROR :Closing Link: me (Bad password)"}},
    LineCase{":bob!b@h privmsg #c :lower case", {"Unknown bob privmsg #c :lower case"}},
    LineCase{":srv CAP * LS :multi-prefix", {"Unknown  CAP * LS :multi-prefix"}},
    LineCase{":onlyaprefix", {"Unknown  :onlyaprefix "}}));

TEST(Dispatch, RawSuppressStopsTheWholeLine)
{
    InChannel h;
    h.irc.OnRaw = [&h](auto user, auto& command, auto& content, bool& suppress) {
        h.events.push_back("Raw " + test::nameOf(user) + " " + command + " " + content);
        suppress = command == "PING";
    };
    EXPECT_EQ(h.feed({"PING :abc"}), Events{"Raw  PING :abc"});
    EXPECT_TRUE(h.sent.empty());
    EXPECT_EQ(h.feed({":bob!b@h PRIVMSG #c :hi"}), (Events{"Raw bob PRIVMSG #c :hi", "Message bob #c hi"}));
}

TEST(Dispatch, PingIsAnsweredWithItsParameterNotThePrefix)
{
    InChannel h;
    EXPECT_EQ(h.feed({":srv PING :abc"}), Events{"PingPong"});
    EXPECT_EQ(h.sent, Events{"PONG :abc"});
    EXPECT_TRUE(h.fake.waitForReceived("PONG :abc\r\n"));
}

TEST(Dispatch, OwnJoinAsksForModesBeforeJoinedFires)
{
    EngineHarness h;
    h.irc.OnSend = [&h](auto& line) { h.events.push_back("Send " + line); };
    h.irc.OnJoined = [&h](TIdIRCChannel* channel) {
        h.events.push_back("Joined " + channel->Name + (channel->Active ? " active" : ""));
    };
    EXPECT_EQ(h.feed({":me!me@h JOIN :#c"}), (Events{"Send MODE #c ", "Joined #c active"}));
    EXPECT_TRUE(h.fake.waitForReceived("MODE #c \r\n"));
}

TEST(Dispatch, OwnJoinReplacesATrackedChannel)
{
    InChannel h;
    h.line(":me!me@h JOIN #C");
    ASSERT_EQ(h.irc.Channels.Count(), 1);
    EXPECT_EQ(h.irc.Channels.Items(0)->Name, "#C");
    EXPECT_EQ(h.irc.Channels.Items(0)->Names.Count(), 0);
}

TEST(Dispatch, OwnPartAndKickSeeTheClosingChannelThenDestroyIt)
{
    struct Case {
        const char* line;
        int closeType;
    };
    for (const Case& c : {Case{":me!me@h PART #c :later", 1}, Case{":alice!a@h KICK #c me :out", 2}}) {
        InChannel h;
        std::string seen;
        auto look = [&](TIdIRCChannel* channel) {
            ASSERT_NE(channel, nullptr);
            EXPECT_EQ(h.irc.Channels.Get("#c"), channel); // still tracked
            seen = channel->Name + " active=" + std::to_string(channel->Active) +
                   " close=" + std::to_string(channel->CloseType);
        };
        h.irc.OnParted = look;
        h.irc.OnKicked = [&](TIdIRCUser* kicker, TIdIRCChannel* channel) {
            EXPECT_EQ(kicker->Reason, "out");
            look(channel);
        };
        h.line(c.line);
        EXPECT_EQ(seen, "#c active=0 close=" + std::to_string(c.closeType)) << c.line;
        EXPECT_EQ(h.irc.Channels.Get("#c"), nullptr) << c.line;
    }
}

TEST(Dispatch, KickSetsTheReasonOnKickerAndVictim)
{
    InChannel h;
    std::string reasons;
    h.irc.OnKick = [&](TIdIRCUser* kicker, TIdIRCUser* victim, TIdIRCChannel*) {
        reasons = kicker->Reason + "/" + victim->Reason + "/" + std::to_string(victim->Count);
    };
    h.line(":alice!a@h KICK #c bob :behave");
    EXPECT_EQ(reasons, "behave/behave/2"); // the membership and the event hold bob
    EXPECT_EQ(h.irc.Users.Get("bob")->Count, 1);
    h.line(":alice!a@h KICK #c nobody :x");
    EXPECT_EQ(reasons, "x/x/1");
    EXPECT_EQ(h.irc.Users.Get("nobody"), nullptr);
}

TEST(Dispatch, NickChangeShowsTheOldRecordAndRenamesAfterwards)
{
    InChannel h;
    std::string during;
    h.irc.OnNickChange = [&](TIdIRCUser* user, const std::string& newNick) {
        during = user->Nick() + "->" + newNick;
    };
    TIdIRCUser* bob = h.irc.Users.Get("bob");
    h.line(":bob!b@h NICK :robert");
    EXPECT_EQ(during, "bob->robert");
    EXPECT_EQ(bob->Nick(), "robert");
    EXPECT_EQ(h.irc.Users.Get("robert"), bob);
}

TEST(Dispatch, OwnNickChangeMovesCurrentNickAndOwnUser)
{
    InChannel h;
    h.line(":me!me@h NICK :mine");
    EXPECT_EQ(h.irc.CurrentNick(), "mine");
    EXPECT_EQ(h.irc.Nick(), "mine");
    EXPECT_EQ(h.irc.OwnUser()->Nick(), "mine");
    EXPECT_EQ(h.irc.Channels.Get("#c")->Names.Strings(0), "mine");
    // From now on lines from "mine" are our own.
    EXPECT_EQ(h.feed({":mine!me@h PART #c"}), Events{"Parted #c"});
}

TEST(Dispatch, NickWithoutNewNickIsDropped)
{
    InChannel h;
    EXPECT_EQ(h.feed({":me!me@h NICK", ":bob!b@h NICK :"}), Events{});
    EXPECT_EQ(h.irc.CurrentNick(), "me");
    EXPECT_NE(h.irc.Users.Get("bob"), nullptr);
}

TEST(Dispatch, UserModeFollowsTheOwnModeLines)
{
    InChannel h;
    h.feed({":me MODE me :+iw-x", ":me MODE me :+so-w"});
    EXPECT_EQ(h.irc.UserMode(), umInvisible | umServerNotices | umOperator);
    EXPECT_EQ(h.feed({":me MODE me :+is"}), Events{"UserMode +is"}); // no real change
}

TEST(Dispatch, TheSenderIsHeldForTheLineOnly)
{
    InChannel h;
    int countDuringQuit = 0;
    h.irc.OnQuit = [&](TIdIRCUser* user) { countDuringQuit = user->Count; };
    h.line(":stranger!s@h QUIT :bye");
    EXPECT_EQ(countDuringQuit, 1);
    EXPECT_EQ(h.irc.Users.Get("stranger"), nullptr);
    h.line(":bob!b@other QUIT :bye");
    EXPECT_EQ(countDuringQuit, 2);
    EXPECT_EQ(h.irc.Users.Get("bob")->Address, "b@other");
    EXPECT_EQ(h.irc.Users.Get("bob")->Reason, "bye");
    // Server lines come with a record of empty nick whose address is the server.
    std::string address;
    h.irc.OnWallops = [&](TIdIRCUser* user, auto&) { address = user->Nick() + "|" + user->Address; };
    h.line(":srv WALLOPS :x");
    EXPECT_EQ(address, "|srv");
    EXPECT_EQ(h.irc.Users.Get(""), nullptr);
}

TEST(Dispatch, AReconnectFromAHandlerEndsTheLineSafely)
{
    InChannel h;
    h.irc.OnKick = [&](auto, auto, auto) { h.irc.Connect(3000); };
    h.line(":alice!a@h KICK #c bob :behave");
    EXPECT_EQ(h.irc.Channels.Count(), 0);
    EXPECT_EQ(h.irc.Users.Count(), 1);
    h.irc.OnQuit = [&](auto) { h.irc.Connect(3000); };
    h.line(":srv 001 me :Welcome");
    h.line(":bob!b@h QUIT :x");
    EXPECT_EQ(h.irc.Users.Count(), 1);
}

TEST(Dispatch, NothingIsHandledWhileDisconnected)
{
    InChannel h;
    h.irc.Disconnect(true);
    h.clear();
    EXPECT_EQ(h.feed({"PING :x", ":bob!b@h PRIVMSG #c :hi"}), Events{});
    EXPECT_TRUE(h.sent.empty());
}

} // namespace
} // namespace pell::irc
