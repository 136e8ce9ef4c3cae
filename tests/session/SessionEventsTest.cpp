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
void joinTwoChannels(EventsHarness& h)
{
    h.model.Tabs().NewChannel("#a");
    h.model.Tabs().NewChannel("#b");
    h.serverSends({":me!m@h JOIN :#a", ":srv 353 me = #a :me @bob +amy cy", ":srv 366 me #a :End of NAMES list",
                   ":me!m@h JOIN :#b", ":srv 353 me = #b :me bob amy", ":srv 366 me #b :End of NAMES list"});
    h.newLines();
}

std::string joined(const Lines& lines, const char* between = " ")
{
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : between) + line;
    return text;
}

struct EventCase {
    Lines server;
    Lines english;               // "tab|text|colour" of every line written, in order
    std::optional<Lines> german; // rows with German lines run in both languages
    std::string nicks = "+amy @bob cy me|amy bob me|"; // the lists of #a, #b and #c
    const char* closedFirst = nullptr;
    const char* active = "#b";
};

const EventCase Cases[] = {
    {{":bob!b@h PRIVMSG #a :hello"}, {"#a|<bob>:hello|others"}},
    {{":bob!b@h PRIVMSG #a :hello"}, {"#a|<bob>:hello|others"}, {}, "|amy bob me|", "#a", "#a"}, // opens it again
    {{":bob!b@h PRIVMSG me :psst"}, {"#b|<bob>:psst|others"}}, // private: to the active tab
    {{":bob!b@h NOTICE #a :note"}, {"#a|<bob>:note|system"}},
    {{":bob!b@h PRIVMSG #a :\x01" "ACTION waves\x01"}, {"#a|<Action>:bob waves|action"}},
    {{":dan!d@h JOIN :#a"}, {"#a|<System>:dan joined|system"}, Lines{"#a|<System>:dan tritt ein|system"},
     "+amy @bob cy dan me|amy bob me|"},
    {{":amy!a@h PART #a :bye"}, {"#a|<System>:amy leaved|system"}, {}, "@bob cy me|bob me|"}, // from every tab
    {{":bob!b@h KICK #a amy :out"}, {"#a|<System>:bob kicked amy|system"}, Lines{"#a|<System>:bob wirft amy raus|system"},
     "@bob cy me|bob me|"},
    {{":bob!b@h KILL amy :spam"}, {"Main|<System>:bob kicked amy because of spam|system"}, {}, "@bob cy me|bob me|"},
    {{":bob!b@h NICK :rob"}, {"Main|<bob>:bob changed to rob|system"}, {}, "+amy @rob cy me|amy me rob|"},
    {{":me!m@h NICK :me2"}, {}}, // the own nick change shows nothing
    {{":bob!b@h QUIT :gone"}, {"#b|<System>:Quit: bob|system"}, {}, "+amy cy me|amy me|"}, // to the current channel
    {{":cy!c@h QUIT :gone"}, {"#b|<System>:Quit: cy|system"}, {}, "+amy @bob me||", "#b"}, // which opens again
    {{":bob!b@h TOPIC #a :new topic"}, {"#a|<System>:Topic: new topic|system"}},
    {{":srv 331 me #a :No topic is set"}, {"#a|<System>:No Topic: No topic is set|system"}},
    {{":srv 324 me #a +nt"}, {"#a|<System>:Channelmode: +nt|system"}},
    {{":bob!b@h MODE #a +o amy"}, {"#a|<bob>:Channelmode: +o amy|system", "Main|<System>:Op :bob at #a to amy|system"}},
    {{":bob!b@h MODE #a +b *!*@evil"},
     {"#a|<bob>:Channelmode: +b *!*@evil|system", "#a|<System>:*!*@evil got banned|system"}},
    {{":bob!b@h MODE #a -b *!*@evil"}, {"#a|<bob>:Channelmode: -b *!*@evil|system", "#a|<System>:Unban: *!*@evil|system"}},
    {{":me!m@h MODE me :+i"}, {"Main|<System>:+i|system"}},
    {{":srv 301 me bob :fishing"}, {"Main|<System>:bob is away|system"}},
    {{":srv 306 me :You are away", ":srv 305 me :You are back"},
     {"Main|<System>:You are away|system", "Main|<System>:Unaway: You are back|system"}},
    {{":bob!b@h WALLOPS :hi ops"}, {"Main|<System>:Wallops: bob hi ops|system"}},
    {{":srv 372 me :- the motd"}, {"Main|<->: the motd|system"}}, // the nick from the text
    {{":srv 401 me zed :No such nick/channel"}, {"Main|<System>:me zed :No such nick/channel|system"}},
    {{":srv FOO a b"}, {"Main|<System>:Unkown command: a bFOO|system"}},
    {{":bob!b@h PRIVMSG #a :\x01" "PING 42\x01"}, {"Main|<System>:CTCPQuery: bob:#a:PING:42|system"}},
    {{":bob!b@h NOTICE me :\x01" "VERSION x 1\x01"}, {"Main|<System>:CTCPReply: bob::VERSION:x 1|system"}},
    {{"PING :abc"}, {"Main|<System>:Ping Pong|system"}},
    {{":srv 364 me hub leaf :1 The leaf"}, {"Main|<Server-Info>:The leaf|system"}},
    {{":bob!b@h INVITE me :#new"}, {}, {}, "+amy @bob cy me|amy bob me|", nullptr, "#new"}, // opens a tab
    {{":srv 341 me amy #x"}, {}, {}, "+amy @bob cy me|amy bob me|", nullptr, "#x"},
    // The reply's own lines name the channel first, so they bring a closed tab back.
    {{":srv 353 me = #a :me zed", ":srv 366 me #a :End"}, {"#a|<:me>: zed|system", "#a|<:End>:|system"}, {},
     "+amy @bob cy me zed|amy bob me|", "#a", "#a"},
    // Each channel's list from its own members and flags: pairing the engine's whole user
    // table with this channel's flags by position would list "@me" and "bob" here.
    {{":me!m@h JOIN :#c", ":srv 353 me = #c :@zed me", ":srv 366 me #c :End"},
     {"#c|<:@zed>: me|system", "#c|<:End>:|system"}, {}, "+amy @bob cy me|amy bob me|@zed me", nullptr, "#c"},
};

TEST(SessionEvents, EachEventWritesItsLineAndKeepsTheNickLists)
{
    for (const int language : {0, 1}) {
        for (const auto& c : Cases) {
            if (language && !c.german)
                continue;
            SCOPED_TRACE(joined(c.server, "\n") + (c.closedFirst ? " (closed first)" : "") + (language ? " (German)" : ""));
            EventsHarness h;
            h.settings.Language = language;
            joinTwoChannels(h);
            if (c.closedFirst)
                h.model.Tabs().CloseTab(h.model.Tabs().Find(c.closedFirst));
            h.serverSends(c.server);
            EXPECT_EQ(h.newLines(), language ? *c.german : c.english);
            EXPECT_EQ(joined(h.nicksOf("#a")) + "|" + joined(h.nicksOf("#b")) + "|" + joined(h.nicksOf("#c")), c.nicks);
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

// Every received line is logged and selected; a socket error is logged only.
TEST(SessionEvents, RawLogGetsEveryLineSelected)
{
    EventsHarness h;
    h.serverSends({":bob!b@h PRIVMSG #a :hello", ":srv 372 me :- motd"});
    h.irc.OnSocketError("sock", "broken");
    const Lines log = h.model.Raw().Entries().ToVector();
    EXPECT_EQ(Lines(log.end() - 3, log.end()), (Lines{"bob: $$$ Command: PRIVMSG$$$ Conntent: #a :hello",
                                                      ": $$$ Command: 372$$$ Conntent: me :- motd", "broken"}));
    EXPECT_EQ(h.model.Raw().Selected(), static_cast<int>(log.size()) - 2);
}

// Arguments are never read as marks; any language but 0 is German.
TEST(EventText, EveryKindInBothLanguagesKeepsArgumentsAsTheyAre)
{
    for (const auto& [kind, english, german] :
         {std::tuple{EventKind::Kill, "a{b} kicked  b because of {a}", "a{b} wirft  b raus wegen: {a}"},
          std::tuple{EventKind::NickInUse, "Nick is in use: a{b}", "Nick ist in gebrauch: a{b}"}}) {
        EXPECT_EQ(EventText(0, kind, "a{b}", " b", "{a}"), english);
        EXPECT_EQ(EventText(7, kind, "a{b}", " b", "{a}"), german);
    }
    EXPECT_EQ(std::string(ButtonCaptionsFor(0).ChangeNick) + "|" + std::string(ButtonCaptionsFor(-1).ChangeNick), "Change Nick|Ändere Nick");
}

TEST(ChannelFromListLine, TakesFromTheFirstHashToTheNextBlank)
{
    for (const auto& [line, channel] : std::vector<std::pair<std::string, std::string>>{
             {"#a 3 topic", "#a"}, {"x#b y #c", "#b"}, {"#end", "#end"}, {"&SERVER 1 :", ""}, {"# 1 :", "#"}})
        EXPECT_EQ(ChannelFromListLine(line), channel) << line;
}

} // namespace
