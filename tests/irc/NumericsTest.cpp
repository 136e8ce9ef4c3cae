#include "EngineHarness.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::EngineHarness;
using Events = std::vector<std::string>;

struct LineCase {
    const char* line;
    Events expected;
};

class NumericReplies : public ::testing::TestWithParam<LineCase> {};

TEST_P(NumericReplies, ReportCategoryAndText)
{
    EngineHarness h;
    h.line(":me!me@h JOIN #c");
    h.clear();
    EXPECT_EQ(h.feed({GetParam().line}), GetParam().expected) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(Table, NumericReplies, ::testing::Values(
    LineCase{":srv 002 me :Your host is srv", {"System  2 WELCOME me :Your host is srv"}},
    LineCase{":srv 006 me :map line", {"System  6 MAP map line"}},
    LineCase{":srv 205 me User x y", {"System  205 TRACE me User x y"}},
    LineCase{":srv 261 me File f", {"System  261 TRACE me File f"}},
    LineCase{":srv 212 me PRIVMSG 10", {"System  212 STATS me PRIVMSG 10"}},
    LineCase{":srv 219 me m :End of STATS report", {"System  219 STATS m End of STATS report"}},
    LineCase{":srv 221 me +iw", {"System  221 UMODE me +iw"}},
    LineCase{":srv 251 me :There are 2 users", {"System  251 LUSER There are 2 users "}},
    LineCase{":srv 252 me 1 :operator(s) online", {"System  252 LUSER 1 operator(s) online"}},
    LineCase{":srv 257 me :Admin", {"System  257 ADMIN me :Admin"}},
    LineCase{":srv 266 me :Current global users: 5", {"System  266 LUSER Current global users: 5"}},
    LineCase{":srv 302 me :bob=+b@h", {"System  302 USERHOST bob=+b@h"}},
    LineCase{":srv 303 me :bob carol", {"System  303 ISON bob carol"}},
    LineCase{":srv 307 me bob :is registered", {"System  307 WHOIS bob is registered"}},
    LineCase{":srv 311 me bob bobu bobhost * :Bob B", {"System  311 WHOIS bob is bobu@bobhost * Bob B"}},
    LineCase{":srv 312 me bob srv :The server", {"System  312 WHOIS bob is using srv The server"}},
    LineCase{":srv 313 me bob :is an IRC operator", {"System  313 WHOIS bob is an IRC operator"}},
    LineCase{":srv 314 me bob bobu bobhost * :Bob B", {"System  314 WHOWAS bob was bobu@bobhost * Bob B"}},
    LineCase{":srv 315 me #c :End of WHO list", {"System  315 WHO #c :End of WHO list"}},
    LineCase{":srv 317 me bob 12 1000 :seconds idle", {"System  317 WHOIS bob has been idle 12 seconds, signed on at 1000"}},
    LineCase{":srv 318 me bob :End of WHOIS list", {"System  318 WHOIS bob :End of WHOIS list"}},
    LineCase{":srv 319 me bob :@#c #d", {"System  319 WHOIS bob is on @#c #d"}},
    LineCase{":srv 329 me #c 1700000000", {"System  329 329 me #c 1700000000"}},
    LineCase{":srv 342 me bob :Summoning", {"System  342 SUMMON bob has been summoned"}},
    LineCase{":srv 351 me 26.1 srv :comment", {"System  351 VERSION 26.1 srv comment"}},
    LineCase{":srv 352 me #c bobu h srv bob H :0 Bob", {"System  352 WHO #c"}},
    LineCase{":srv 365 me * :End of LINKS list", {"System  365 LINKS * End of LINKS list"}},
    LineCase{":srv 367 me #c *!*@x", {"System  367 BANS #c *!*@x"}},
    LineCase{":srv 368 me #c :End of channel ban list", {"System  368 BANS #c :End of channel ban list"}},
    LineCase{":srv 369 me bob :End of WHOWAS", {"System  369 WHOWAS bob :End of WHOWAS"}},
    LineCase{":srv 371 me :info", {"System  371 INFO info"}},
    LineCase{":srv 372 me :- motd line", {"System  372 MOTD - motd line"}},
    LineCase{":srv 374 me :End of INFO", {"System  374 INFO End of INFO"}},
    LineCase{":srv 376 me :End of MOTD", {"System  376 MOTD End of MOTD"}},
    LineCase{":srv 381 me :You are now an IRC operator", {"System  381 OPER You are now an IRC operator"}},
    LineCase{":srv 382 me ngircd.conf :Rehashing", {"System  382 REHASH ngircd.conf :Rehashing"}},
    LineCase{":srv 391 me srv :Monday", {"System  391 TIME srv :Monday"}},
    LineCase{":srv 391 me :Monday", {"System  391 TIME srv :Monday"}},
    LineCase{":SRV 391 me srv :Monday", {"System  391 TIME SRV :Monday"}},
    LineCase{":srv 393 me :bob tty1 12:00", {"System  393 USERS bob tty1 12:00"}},
    LineCase{":srv 614 me bob :is using modes +i", {"System  614 WHOIS bob"}},
    LineCase{":srv 301 me bob :gone fishing", {"Away bob gone fishing"}},
    LineCase{":srv 341 me bob #c", {"Inviting bob #c"}},
    LineCase{":srv 364 me leaf.net hub.net :1 The leaf", {"Links hub.net leaf.net 1 The leaf"}},
    LineCase{":srv 364 me leaf.net hub.net :0", {"Links hub.net leaf.net 0 "}},
    LineCase{":srv 331 me #c :No topic is set", {"NoTopic #c No topic is set"}},
    LineCase{":srv 331 me #nowhere :No topic is set", {}},
    LineCase{":srv 332 me #c :the topic", {"Topic  #c #c the topic"}},
    LineCase{":srv 332 me #nowhere :the topic", {"Topic  - #nowhere the topic"}},
    LineCase{":srv 324 me #c +ntl 10", {"ChannelMode - #c #c +ntl 10"}},
    LineCase{":srv 324 me #nowhere +n", {"ChannelMode - - #nowhere +n"}},
    LineCase{":srv 353 me = #nowhere :@a b", {"System  353 NAMES #nowhere :@a b"}},
    LineCase{":srv 366 me #c :End of NAMES list", {"System  366 NAMES #c :End of NAMES list", "Names #c"}},
    LineCase{":srv 366 me #nowhere :End", {"System  366 NAMES #nowhere :End", "Names -"}},
    LineCase{":srv 433 me bob :Nickname is already in use", {"Error  433 me bob :Nickname is already in use"}},
    LineCase{":srv 401 me bob :No such nick", {"Error  401 me bob :No such nick"}},
    LineCase{":srv 502 me :Cant change mode for other users", {"Error  502 me :Cant change mode for other users"}}));

// The numbers with no row in the table go to OnUnknownCommand, and only there.
class UnknownNumerics : public ::testing::TestWithParam<const char*> {};

TEST_P(UnknownNumerics, GoToUnknownCommand)
{
    EngineHarness h;
    const std::string numeric = GetParam();
    EXPECT_EQ(h.feed({":srv " + numeric + " me x :y"}), Events{"Unknown  " + numeric + " me x :y"});
}

INSTANTIATE_TEST_SUITE_P(Ranges, UnknownNumerics, ::testing::Values(
    "000", "0", "5", "005", "008", "199", "207", "209", "210", "217", "220", "222", "240", "245", "249", "260",
    "262", "264", "267", "300", "304", "308", "310", "316", "320", "325", "328", "330", "333", "340", "343",
    "350", "354", "363", "370", "373", "377", "380", "383", "390", "396", "400", "503", "613", "615", "999",
    "100000"));

TEST(Numerics, WelcomeCompletesRegistrationAndNamesTheServer)
{
    EngineHarness h; // the harness registers with ":srv 001 me :Welcome"
    EXPECT_EQ(h.irc.State(), csConnected);
    EXPECT_EQ(h.irc.WelcomeServer(), "srv");
    EXPECT_EQ(h.feed({":srv 001 me :Welcome"}), Events{"System  1 WELCOME me :Welcome"});
}

TEST(Numerics, MotdStartAlsoCompletesRegistration)
{
    EngineHarness h;
    h.irc.Connect(3000);
    EXPECT_EQ(h.irc.State(), csLoggingOn);
    h.line(":other 375 me :- other Message of the day -");
    EXPECT_EQ(h.irc.State(), csConnected);
    EXPECT_EQ(h.irc.WelcomeServer(), "srv"); // only 001 to 004 name it
}

TEST(Numerics, OtherEffectsHappenWithoutOnSystem)
{
    EngineHarness h;
    h.irc.OnSystem = nullptr;
    h.irc.Connect(3000);
    h.line(":srv2 004 me srv2 version");
    EXPECT_EQ(h.irc.State(), csConnected);
    EXPECT_EQ(h.irc.WelcomeServer(), "srv2");
    h.line(":me!me@h JOIN #c");
    h.feed({":srv 353 me = #c :@alice", ":srv 324 me #c +k sesame"});
    EXPECT_EQ(h.irc.Channels.Get("#c")->Names.Count(), 1);
    EXPECT_EQ(h.irc.Channels.Get("#c")->Key, "sesame");
}

TEST(Numerics, AwayStateFollows305And306)
{
    EngineHarness h;
    EXPECT_EQ(h.feed({":srv 306 me :You have been marked as being away"}),
              Events{"NowAway You have been marked as being away"});
    EXPECT_TRUE(h.irc.IsAway());
    EXPECT_EQ(h.feed({":srv 305 me :You are no longer marked as being away"}),
              Events{"UnAway You are no longer marked as being away"});
    EXPECT_FALSE(h.irc.IsAway());
}

TEST(Numerics, AwayReplyHoldsTheUserOnlyForItsEvent)
{
    EngineHarness h;
    h.line(":srv 301 me bob :gone");
    EXPECT_EQ(h.irc.Users.Get("bob"), nullptr);
    h.line(":me!me@h JOIN #c");
    h.line(":srv 353 me = #c :bob");
    h.line(":srv 301 me bob :lunch");
    EXPECT_EQ(h.irc.Users.Get("bob")->Reason, "lunch");
    EXPECT_EQ(h.irc.Users.Get("bob")->Count, 1);
}

TEST(Numerics, ChannelModeReplyParsesModesAtTheThirdToken)
{
    EngineHarness h;
    h.line(":me!me@h JOIN #c");
    h.line(":srv 324 me #c +ntlk 25 sesame");
    const TIdIRCChannel* c = h.irc.Channels.Get("#c");
    EXPECT_EQ(c->Mode, cmNoExternalMessages | cmOpsSetTopic | cmUserLimit | cmKey);
    EXPECT_EQ(c->Limit, 25);
    EXPECT_EQ(c->Key, "sesame");
}

TEST(Numerics, TopicRepliesStoreTheTopic)
{
    EngineHarness h;
    h.line(":me!me@h JOIN #c");
    h.line(":srv 332 me #C :the topic");
    EXPECT_EQ(h.irc.Channels.Get("#c")->Topic, "the topic");
    h.line(":srv 331 me #c :No topic is set");
    EXPECT_EQ(h.irc.Channels.Get("#c")->Topic, "");
}

TEST(Numerics, NamesReplyReportsFirstThenFillsTheChannelOnce)
{
    EngineHarness h;
    h.recordChannelUpdates();
    h.line(":me!me@h JOIN #c");
    EXPECT_EQ(h.feed({":srv 353 me = #c :@alice bob"}),
              (Events{"System  353 NAMES #c :@alice bob", "Update #c cuNames - 0"}));
    EXPECT_EQ(h.irc.Channels.Get("#c")->Names.Count(), 2);
}

TEST(Numerics, ErrorsDuringLogonFallBackToTheAlternativeNick)
{
    EngineHarness h;
    h.irc.AltNick = "me2";
    h.irc.Connect(3000);
    h.clear();
    EXPECT_EQ(h.feed({":srv 433 * me :Nickname is already in use"}),
              Events{"Error  433 * me :Nickname is already in use"});
    EXPECT_EQ(h.sent, Events{"NICK me2"});
    EXPECT_EQ(h.irc.CurrentNick(), "me2");
    // After registration the same reply is only reported.
    h.line(":srv 001 me2 :Welcome");
    h.clear();
    h.line(":srv 433 me2 x :Nickname is already in use");
    EXPECT_TRUE(h.sent.empty());
    EXPECT_EQ(h.irc.CurrentNick(), "me2");
}

// 100 list entries: a report at the start, at 40 and 79 entries, and at the end.
TEST(Numerics, ChannelListArrivesInBatches)
{
    EngineHarness h;
    std::vector<std::string> firstEntries;
    h.irc.OnList = [&](const std::vector<std::string>& chans, int position, bool last) {
        h.events.push_back("List " + std::to_string(chans.size()) + " " + std::to_string(position) +
                           (last ? " last" : ""));
        if (last)
            firstEntries.assign(chans.begin(), chans.begin() + 2);
    };
    std::vector<std::string> lines{":srv 321 me Channel :Users  Name"};
    for (int i = 0; i < 100; ++i)
        lines.push_back(":srv 322 me #c" + std::to_string(i) + " " + std::to_string(i) + " :topic " +
                        std::to_string(i));
    lines.push_back(":srv 323 me :End of LIST");
    EXPECT_EQ(h.feed(lines), (Events{"List 0 0", "System  321 LIST Start of LIST", "List 40 0", "List 79 39",
                                     "System  323 LIST End of LIST", "List 100 78 last"}));
    EXPECT_EQ(firstEntries, (Events{"#c0 0 topic 0", "#c1 1 topic 1"}));
    EXPECT_TRUE(h.irc.ListBuffer.empty());
    EXPECT_EQ(h.irc.ListMark, 0);
}

TEST(Numerics, ChannelListWithoutHandlerIsDropped)
{
    EngineHarness h;
    h.irc.OnList = nullptr;
    EXPECT_EQ(h.feed({":srv 321 me Channel :Users", ":srv 322 me #c 3 :t", ":srv 323 me :End of LIST"}),
              (Events{"System  321 LIST Start of LIST", "System  323 LIST End of LIST"}));
    EXPECT_TRUE(h.irc.ListBuffer.empty());
}

} // namespace
} // namespace pell::irc
