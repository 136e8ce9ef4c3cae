#include "EngineHarness.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::EngineHarness;
using test::Events;

struct Row {
    const char* line;
    Events expected;
};

void expectEvents(EngineHarness& h, const std::vector<Row>& rows)
{
    for (const Row& row : rows)
        EXPECT_EQ(h.feed({row.line}), row.expected) << row.line;
}

// In #c with @me @alice +bob carol. The rows change no tracking the next row relies on.
TEST(Dispatch, CommandsRaiseTheirEventsWithTheirArguments)
{
    EngineHarness h(true);
    expectEvents(h, {
        {":bob!b@h PRIVMSG #c :hello there", {"Message bob #c hello there"}},
        {":bob!b@h PRIVMSG me :psst", {"Message bob - psst"}},
        {":bob!b@h PRIVMSG #elsewhere :hi", {"Message bob - hi"}},
        {":bob!b@h PRIVMSG #C :case", {"Message bob #c case"}},
        {":bob!b@h NOTICE #c :note", {"Notice bob #c note"}},
        {":srv NOTICE * :*** Looking up your hostname", {"Notice  - *** Looking up your hostname"}},
        {":dave!d@h JOIN :#nowhere", {"Join dave -"}},
        {":bob!b@h PART #nowhere", {"Part bob -"}},
        {":alice!a@h KICK #nowhere bob :x", {"Kick alice bob -"}},
        {":alice!a@h MODE #c +o-v a b", {"ChannelMode alice #c #c +o-v a b", "Op alice #c -", "Devoice alice #c -"}},
        {":alice!a@h MODE #c +k  key", {"ChannelMode alice #c #c +k key"}},
        {":alice!a@h MODE #nowhere +o bob", {}},
        {":alice!a@h MODE bob +i", {}},
        {":me MODE me :+i", {"UserMode +i", "UserModeChanged"}},
        {":me MODE me :-i", {"UserMode -i", "UserModeChanged"}},
        {":me MODE me :-i", {"UserMode -i"}},
        {":me MODE ME :+i", {}},
        {":bob!b@h INVITE me :#secret", {"Invite bob #secret"}},
        {":oper!o@h KILL bob :flooding", {"Kill oper bob flooding"}},
        {":srv WALLOPS :restart soon", {"Wallops  restart soon"}},
        {":alice!a@h TOPIC #C :news", {"Topic alice #c #c news"}},
        {":alice!a@h TOPIC #nowhere :news", {}},
        {"ERROR :Closing Link: me (Bad password)", {"Unknown  ERROR :Closing Link: me (Bad password)"}},
        {":bob!b@h privmsg #c :lower case", {"Unknown bob privmsg #c :lower case"}},
        {":srv CAP * LS :multi-prefix", {"Unknown  CAP * LS :multi-prefix"}},
        {":onlyaprefix", {"Unknown  :onlyaprefix "}},
        {":dave!d@h JOIN :#c", {"Join dave #c"}},
        {":bob!b@h PART #c :bye", {"Part bob #c"}},
        {":alice!a@h KICK #c carol :behave", {"Kick alice carol #c"}},
        {":bob!b@h NICK :robert", {"NickChange bob robert"}},
        {":robert!b@h QUIT :Quit: gone", {"Quit robert Quit: gone"}},
        {":me!me@h NICK :mine", {"NickChanged me"}},
        {":mine!me@h PART #c", {"Parted #c"}}, // from now on lines from "mine" are our own
    });
    EXPECT_EQ(h.irc.CurrentNick(), "mine");
    EXPECT_EQ(h.irc.Nick(), "mine");
    EXPECT_EQ(h.irc.OwnUser()->Nick(), "mine");
    // Our own nick is told by its exact case.
    EXPECT_EQ(h.feed({":MINE!me@h NICK :other"}), Events{"NickChange mine other"});
}

// Numbers without a row go to OnUnknownCommand, every row's category and format to
// OnSystem, handler rows to their own events.
TEST(Dispatch, NumericRepliesReportCategoryAndText)
{
    EngineHarness h;
    h.line(":me!me@h JOIN #c");
    for (const char* numeric : {"000", "0", "5", "005", "008", "199", "207", "209", "210", "217", "220", "222", "240",
                                "245", "249", "260", "262", "264", "267", "300", "304", "308", "310", "316", "320",
                                "325", "328", "330", "333", "340", "343", "350", "354", "363", "370", "373", "377",
                                "380", "383", "390", "396", "400", "503", "613", "615", "999", "100000"})
        EXPECT_EQ(h.feed({std::string(":srv ") + numeric + " me x :y"}), Events{"Unknown  " + std::string(numeric) + " me x :y"});
    expectEvents(h, {
        {":srv 001 me :Welcome", {"System  1 WELCOME me :Welcome"}},
        {":srv 006 me :map line", {"System  6 MAP map line"}},
        {":srv 205 me User x y", {"System  205 TRACE me User x y"}},
        {":srv 219 me m :End of STATS report", {"System  219 STATS m End of STATS report"}},
        {":srv 221 me +iw", {"System  221 UMODE me +iw"}},
        {":srv 251 me :There are 2 users", {"System  251 LUSER There are 2 users "}},
        {":srv 257 me :Admin", {"System  257 ADMIN me :Admin"}},
        {":srv 261 me File f", {"System  261 TRACE me File f"}},
        {":srv 266 me :Current global users: 5", {"System  266 LUSER Current global users: 5"}},
        {":srv 311 me bob bobu bobhost * :Bob B", {"System  311 WHOIS bob is bobu@bobhost * Bob B"}},
        {":srv 317 me bob 12 1000 :seconds idle", {"System  317 WHOIS bob has been idle 12 seconds, signed on at 1000"}},
        {":srv 329 me #c 1700000000", {"System  329 329 me #c 1700000000"}},
        {":srv 342 me bob :Summoning", {"System  342 SUMMON bob has been summoned"}},
        {":srv 352 me #c bobu h srv bob H :0 Bob", {"System  352 WHO #c"}},
        {":srv 391 me srv :Monday", {"System  391 TIME srv :Monday"}},
        {":srv 391 me :Monday", {"System  391 TIME srv :Monday"}}, // some servers leave out their name
        {":SRV 391 me srv :Monday", {"System  391 TIME SRV :Monday"}},
        {":srv 393 me :bob tty1 12:00", {"System  393 USERS bob tty1 12:00"}},
        {":srv 614 me bob :is using modes +i", {"System  614 WHOIS bob"}},
        {":srv 301 me bob :gone fishing", {"Away bob gone fishing"}},
        {":srv 341 me bob #c", {"Inviting bob #c"}},
        {":srv 364 me leaf.net hub.net :1 The leaf", {"Links hub.net leaf.net 1 The leaf"}},
        {":srv 364 me leaf.net hub.net :0", {"Links hub.net leaf.net 0 "}},
        {":srv 331 me #c :No topic is set", {"NoTopic #c No topic is set"}},
        {":srv 331 me #nowhere :No topic is set", {}},
        {":srv 332 me #c :the topic", {"Topic  #c #c the topic"}},
        {":srv 332 me #nowhere :the topic", {"Topic  - #nowhere the topic"}},
        {":srv 324 me #c +ntl 10", {"ChannelMode - #c #c +ntl 10"}},
        {":srv 324 me #nowhere +n", {"ChannelMode - - #nowhere +n"}},
        {":srv 353 me = #nowhere :@a b", {"System  353 NAMES #nowhere :@a b"}},
        {":srv 366 me #c :End of NAMES list", {"System  366 NAMES #c :End of NAMES list", "Names #c"}},
        {":srv 366 me #nowhere :End", {"System  366 NAMES #nowhere :End", "Names -"}},
        {":srv 401 me bob :No such nick", {"Error  401 me bob :No such nick"}},
        {":srv 433 me bob :Nickname is already in use", {"Error  433 me bob :Nickname is already in use"}},
        {":srv 502 me :Cant change mode for other users", {"Error  502 me :Cant change mode for other users"}},
        {":srv 306 me :You have been marked as being away", {"NowAway You have been marked as being away"}},
    });
    EXPECT_TRUE(h.irc.IsAway());
    EXPECT_EQ(h.feed({":srv 305 me :Back"}), Events{"UnAway Back"});
    EXPECT_FALSE(h.irc.IsAway());
}

TEST(Dispatch, RegistrationEndsWithWelcomeOrMotdAndRepliesWorkWithoutOnSystem)
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
    h.feed({":me!me@h JOIN #c", ":srv 353 me = #c :@alice", ":srv 324 me #c +ntlk 25 sesame", ":srv 332 me #C :topic"});
    const TIdIRCChannel* c = h.irc.Channels.Get("#c");
    EXPECT_EQ(c->Names.Count(), 1);
    EXPECT_EQ(c->Mode, cmNoExternalMessages | cmOpsSetTopic | cmUserLimit | cmKey);
    EXPECT_EQ(c->Limit, 25);
    EXPECT_EQ(c->Key, "sesame");
    EXPECT_EQ(c->Topic, "topic");
    h.line(":srv 331 me #c :No topic is set");
    EXPECT_EQ(c->Topic, "");
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

    // The sender is held for its line only.
    h.irc.OnQuit = [&](TIdIRCUser* user) { seen = std::to_string(user->Count); };
    h.line(":stranger!s@h QUIT :bye");
    EXPECT_EQ(seen, "1");
    EXPECT_EQ(h.irc.Users.Get("stranger"), nullptr);
    h.line(":alice!a@other QUIT :bye");
    EXPECT_EQ(seen, "2");
    EXPECT_EQ(h.irc.Users.Get("alice")->Address, "a@other");
    EXPECT_EQ(h.irc.Users.Get("alice")->Reason, "bye");
    // Server lines come with a record of empty nick whose address is the server.
    h.irc.OnWallops = [&](TIdIRCUser* user, auto&) { seen = user->Nick() + "|" + user->Address; };
    h.line(":srv WALLOPS :x");
    EXPECT_EQ(seen, "|srv");
    EXPECT_EQ(h.irc.Users.Get(""), nullptr);
}

TEST(Dispatch, BrokenOrLateLinesChangeNothing)
{
    EngineHarness h(true);
    // A NICK without a new nick would make every line count as our own.
    EXPECT_EQ(h.feed({":me!me@h NICK", ":bob!b@h NICK :"}), Events{});
    EXPECT_EQ(h.irc.CurrentNick(), "me");
    EXPECT_NE(h.irc.Users.Get("bob"), nullptr);
    h.feed({":me MODE me :+iw-x", ":me MODE me :+so-w"});
    EXPECT_EQ(h.irc.UserMode(), umInvisible | umServerNotices | umOperator);
    EXPECT_EQ(h.feed({":me MODE me :+is"}), Events{"UserMode +is"}); // no real change

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
