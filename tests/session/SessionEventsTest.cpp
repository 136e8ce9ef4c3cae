#include "WiredSession.h"
#include "session/ButtonCaptions.h"
#include "session/ChannelListLine.h"
#include "session/EventText.h"

#include <gtest/gtest.h>

#include <optional>

using namespace pell;
using namespace pell::session;
using namespace pell::session::testing;

namespace {

using Lines = std::vector<std::string>;

// Events bound, registered as "me", with a colour of its own for each kind of line.
struct EventsHarness : WiredSession {
    EventsHarness()
    {
        settings.OwnColour = 1;
        settings.OthersColour = 2;
        settings.SystemColour = 3;
        settings.ActionColour = 4;
        events.Bind();
        connect();
        serverSends({":srv 001 me :Welcome"});
        EXPECT_EQ(newLines(), Lines{"Main|<me>: :Welcome|system"});
    }
};

// Both channels joined, #b joined last: it is the current channel and the active tab.
const Lines NicksA{"+amy", "@bob", "cy", "me"};
const Lines NicksB{"amy", "bob", "me"};

void joinTwoChannels(EventsHarness& h)
{
    h.model.Tabs().NewChannel("#a");
    h.model.Tabs().NewChannel("#b");
    h.serverSends({":me!m@h JOIN :#a", ":srv 353 me = #a :me @bob +amy cy", ":srv 366 me #a :End of NAMES list",
                   ":me!m@h JOIN :#b", ":srv 353 me = #b :me bob amy", ":srv 366 me #b :End of NAMES list"});
    h.newLines();
}

struct EventCase {
    const char* name;
    Lines server;
    Lines english;                 // "tab|text|colour" of every line written, in order
    std::optional<Lines> german;   // when the sentence differs
    Lines nicksA = NicksA;
    Lines nicksB = NicksB;
    const char* closedFirst = nullptr;
    const char* active = "#b";
    Lines nicksC = {};
};

const EventCase Cases[] = {
    {"channel message", {":bob!b@h PRIVMSG #a :hello"}, {"#a|<bob>:hello|others"}},
    {"message for a closed tab opens it again", {":bob!b@h PRIVMSG #a :hello"}, {"#a|<bob>:hello|others"},
     {}, {}, NicksB, "#a", "#a"},
    {"private message goes to the active tab", {":bob!b@h PRIVMSG me :psst"}, {"#b|<bob>:psst|others"}},
    {"notice", {":bob!b@h NOTICE #a :note"}, {"#a|<bob>:note|system"}},
    {"action", {":bob!b@h PRIVMSG #a :\x01" "ACTION waves\x01"}, {"#a|<Action>:bob waves|action"}},
    {"join", {":dan!d@h JOIN :#a"}, {"#a|<System>:dan joined|system"}, Lines{"#a|<System>:dan tritt ein|system"},
     {"+amy", "@bob", "cy", "dan", "me"}},
    {"part removes the nick from every tab", {":amy!a@h PART #a :bye"}, {"#a|<System>:amy leaved|system"}, {},
     {"@bob", "cy", "me"}, {"bob", "me"}},
    {"kick", {":bob!b@h KICK #a amy :out"}, {"#a|<System>:bob kicked amy|system"},
     Lines{"#a|<System>:bob wirft amy raus|system"}, {"@bob", "cy", "me"}, {"bob", "me"}},
    {"kill", {":bob!b@h KILL amy :spam"}, {"Main|<System>:bob kicked amy because of spam|system"},
     Lines{"Main|<System>:bob wirft amy raus wegen: spam|system"}, {"@bob", "cy", "me"}, {"bob", "me"}},
    {"nick change", {":bob!b@h NICK :rob"}, {"Main|<bob>:bob changed to rob|system"},
     Lines{"Main|<bob>:bob ändert sich zu rob|system"}, {"+amy", "@rob", "cy", "me"}, {"amy", "me", "rob"}},
    {"own nick change shows nothing", {":me!m@h NICK :me2"}, {}},
    {"quit goes to the current channel", {":bob!b@h QUIT :gone"}, {"#b|<System>:Quit: bob|system"}, {},
     {"+amy", "cy", "me"}, {"amy", "me"}},
    {"quit reopens a closed current channel", {":cy!c@h QUIT :gone"}, {"#b|<System>:Quit: cy|system"}, {},
     {"+amy", "@bob", "me"}, {}, "#b"},
    {"topic", {":bob!b@h TOPIC #a :new topic"}, {"#a|<System>:Topic: new topic|system"}},
    {"no topic", {":srv 331 me #a :No topic is set"}, {"#a|<System>:No Topic: No topic is set|system"}},
    {"channel modes without user", {":srv 324 me #a +nt"}, {"#a|<System>:Channelmode: +nt|system"}},
    {"op leaves the nick lists alone", {":bob!b@h MODE #a +o amy"},
     {"#a|<bob>:Channelmode: +o amy|system", "Main|<System>:Op :bob at #a to amy|system"}},
    {"ban names the mask", {":bob!b@h MODE #a +b *!*@evil"},
     {"#a|<bob>:Channelmode: +b *!*@evil|system", "#a|<System>:*!*@evil got banned|system"}},
    {"unban", {":bob!b@h MODE #a -b *!*@evil"},
     {"#a|<bob>:Channelmode: -b *!*@evil|system", "#a|<System>:Unban: *!*@evil|system"}},
    {"user mode", {":me!m@h MODE me :+i"}, {"Main|<System>:+i|system"}},
    {"away", {":srv 301 me bob :fishing"}, {"Main|<System>:bob is away|system"},
     Lines{"Main|<System>:bob ist weg|system"}},
    {"now away and back", {":srv 306 me :You are away", ":srv 305 me :You are back"},
     {"Main|<System>:You are away|system", "Main|<System>:Unaway: You are back|system"}},
    {"wallops", {":bob!b@h WALLOPS :hi ops"}, {"Main|<System>:Wallops: bob hi ops|system"}},
    {"server reply takes its nick from the text", {":srv 372 me :- the motd"}, {"Main|<->: the motd|system"}},
    {"error reply", {":srv 401 me zed :No such nick/channel"}, {"Main|<System>:me zed :No such nick/channel|system"}},
    {"unknown command", {":srv FOO a b"}, {"Main|<System>:Unkown command: a bFOO|system"}},
    {"ctcp query", {":bob!b@h PRIVMSG #a :\x01" "PING 42\x01"}, {"Main|<System>:CTCPQuery: bob:#a:PING:42|system"}},
    {"ctcp reply", {":bob!b@h NOTICE me :\x01" "VERSION x 1\x01"}, {"Main|<System>:CTCPReply: bob::VERSION:x 1|system"}},
    {"ping", {"PING :abc"}, {"Main|<System>:Ping Pong|system"}},
    {"links", {":srv 364 me hub leaf :1 The leaf"}, {"Main|<Server-Info>:The leaf|system"}},
    {"invite opens a tab", {":bob!b@h INVITE me :#new"}, {}, {}, NicksA, NicksB, nullptr, "#new"},
    {"inviting opens a tab", {":srv 341 me amy #x"}, {}, {}, NicksA, NicksB, nullptr, "#x"},
    // The reply's own lines name the channel first, so they bring the tab back for the list.
    {"names for a closed tab", {":srv 353 me = #a :me zed", ":srv 366 me #a :End"},
     {"#a|<:me>: zed|system", "#a|<:End>:|system"}, {}, {"+amy", "@bob", "cy", "me", "zed"}, NicksB, "#a", "#a"},
    // Each channel's list from its own members and flags: pairing the engine's whole user
    // table with this channel's flags by position would list "@me" and "bob" here.
    {"names of a third channel", {":me!m@h JOIN :#c", ":srv 353 me = #c :@zed me", ":srv 366 me #c :End"},
     {"#c|<:@zed>: me|system", "#c|<:End>:|system"}, {}, NicksA, NicksB, nullptr, "#c", {"@zed", "me"}},
};

TEST(SessionEvents, EachEventWritesItsLineAndKeepsTheNickLists)
{
    for (const int language : {0, 1}) {
        for (const auto& c : Cases) {
            SCOPED_TRACE(std::string(c.name) + (language ? " (German)" : " (English)"));
            EventsHarness h;
            h.settings.Language = language;
            joinTwoChannels(h);
            if (c.closedFirst)
                h.model.Tabs().CloseTab(h.model.Tabs().Find(c.closedFirst));
            h.serverSends(c.server);
            EXPECT_EQ(h.newLines(), language && c.german ? *c.german : c.english);
            EXPECT_EQ(h.nicksOf("#a"), c.nicksA);
            EXPECT_EQ(h.nicksOf("#b"), c.nicksB);
            EXPECT_EQ(h.nicksOf("#c"), c.nicksC);
            EXPECT_EQ(h.model.Tabs().Active().Caption, c.active);
        }
    }
}

TEST(SessionEvents, JoinedSetsCaptionAndCurrentChannelWithoutALine)
{
    EventsHarness h;
    h.model.SetServerName("Net");
    h.serverSends({":me!m@h JOIN :#z"});
    EXPECT_EQ(h.model.Caption(), "Net [#z]");
    EXPECT_EQ(h.model.CurrentChannel(), "#z");
    EXPECT_EQ(h.newLines(), Lines{});
    EXPECT_EQ(h.model.Tabs().Find("#z"), -1);
}

TEST(SessionEvents, IgnoredNickLosesOnlyItsOwnLines)
{
    EventsHarness h;
    h.desktop.inFront = false;
    h.settings.FlashOnMessage = true;
    joinTwoChannels(h);
    h.model.IgnoreNick("BOB");
    h.serverSends({":bob!b@h PRIVMSG #a :see www.x.org", ":bob!b@h NOTICE #a :n", ":bob!b@h NICK :bob2",
                   ":bob2!b@h PART #a", ":amy!a@h PRIVMSG #a :hi"});
    EXPECT_EQ(h.newLines(), (Lines{"#a|<System>:bob2 leaved|system", "#a|<amy>:hi|others"}));
    // The message of the ignored nick still collects its address and flashes.
    const auto& addresses = h.shared.Addresses.Entries();
    EXPECT_EQ(Lines(addresses.begin(), addresses.end()), Lines{"www.x.org"});
    EXPECT_EQ(h.desktop.flashes, 2);
}

TEST(SessionEvents, ChannelListWaitsForTheEndThenFillsTabAndBox)
{
    EventsHarness h;
    h.serverSends({":srv 321 me Channel :Users Name", ":srv 322 me #b 3 :\x02" "bold\x02 topic",
                   ":srv 322 me #a 1 :", ":srv 322 me #A 2 :again"});
    EXPECT_EQ(h.model.Tabs().Find("Channels"), -1);
    EXPECT_EQ(h.newLines(), Lines{"Main|<Start>: of LIST|system"});
    EXPECT_TRUE(h.model.ChannelBox().Items().empty());

    h.serverSends({":srv 323 me :End of LIST"});
    EXPECT_EQ(h.model.Tabs().Active().Caption, "Channels");
    EXPECT_EQ(h.newLines(), (Lines{"Main|<End>: of LIST|system", "Channels|#b 3 bold topic|system", "Channels|#a 1 |system",
                                   "Channels|#A 2 again|system"}));
    EXPECT_EQ(h.model.ChannelBox().Items(), (Lines{"#a", "#b"}));

    // A second list adds below the first and only the names the box lacks; a line
    // without "#" (ngircd's &SERVER) adds the empty name.
    h.serverSends({":srv 321 me Channel :Users Name", ":srv 322 me #c 1 :", ":srv 322 me #B 1 :",
                   ":srv 322 me &SERVER 0 :x", ":srv 323 me :End"});
    EXPECT_EQ(h.linesOf("Channels").size(), 6u);
    EXPECT_EQ(h.model.ChannelBox().Items(), (Lines{"", "#a", "#b", "#c"}));
}

TEST(SessionEvents, RawLogGetsEveryLineSelected)
{
    EventsHarness h;
    h.serverSends({":bob!b@h PRIVMSG #a :hello", ":srv 372 me :- motd"});
    const auto& entries = h.model.Raw().Entries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[entries.size() - 2], "bob: $$$ Command: PRIVMSG$$$ Conntent: #a :hello");
    EXPECT_EQ(entries.back(), ": $$$ Command: 372$$$ Conntent: me :- motd");
    EXPECT_EQ(h.model.Raw().Selected(), static_cast<int>(entries.size()) - 1);

    // A socket error is logged without moving the selection.
    h.irc.OnSocketError("sock", "broken");
    EXPECT_EQ(h.model.Raw().Entries().back(), "broken");
    EXPECT_EQ(h.model.Raw().Selected(), static_cast<int>(entries.size()) - 2);
}

// Arguments are never read as marks; any language but 0 is German.
TEST(EventText, EveryKindInBothLanguagesKeepsArgumentsAsTheyAre)
{
    const struct {
        EventKind kind;
        const char* english;
        const char* german;
    } cases[] = {
        {EventKind::Kill, "a{b} kicked  b because of {a}", "a{b} wirft  b raus wegen: {a}"},
        {EventKind::NickInUse, "Nick is in use: a{b}", "Nick ist in gebrauch: a{b}"},
        {EventKind::Ban, "a{b} got banned", "a{b} got banned"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EventText(0, c.kind, "a{b}", " b", "{a}"), c.english);
        EXPECT_EQ(EventText(1, c.kind, "a{b}", " b", "{a}"), c.german);
        EXPECT_EQ(EventText(7, c.kind, "a{b}", " b", "{a}"), c.german);
    }
    EXPECT_EQ(ButtonCaptionsFor(0).ChangeNick, "Change Nick");
    EXPECT_EQ(ButtonCaptionsFor(-1).ChangeNick, "Ändere Nick");
}

TEST(ChannelFromListLine, TakesFromTheFirstHashToTheNextBlank)
{
    for (const auto& [line, channel] : std::vector<std::pair<std::string, std::string>>{
             {"#a 3 topic", "#a"}, {"x#b y #c", "#b"}, {"#end", "#end"}, {"&SERVER 1 :", ""}, {"# 1 :", "#"}})
        EXPECT_EQ(ChannelFromListLine(line), channel) << line;
}

} // namespace
