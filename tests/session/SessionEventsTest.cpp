#include "WiredSession.h"
#include "session/ButtonCaptions.h"
#include "session/ChannelListLine.h"
#include "session/EventText.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

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

std::string joined(const Lines& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : " ") + line;
    return text;
}

// The table is tests/data/session/events.txt; its head says what each key means.
TEST(SessionEvents, EachEventWritesItsLineAndKeepsTheNickLists)
{
    for (const int language : {0, 1}) {
        for (const auto& c : test::readCases("session/events.txt")) {
            if (language && !c.has("de"))
                continue;
            SCOPED_TRACE(c.name + (language ? " (German)" : ""));
            EventsHarness h;
            h.settings.Language = language;
            h.settings.FlashOnMessage = c.has("flashes");
            joinTwoChannels(h);
            if (c.has("ignore"))
                h.model.IgnoreNick(c.one("ignore"));
            if (c.has("closed"))
                h.model.Tabs().CloseTab(h.model.Tabs().Find(c.one("closed")));
            h.serverSends(c.lines("in"));
            EXPECT_EQ(h.newLines(), c.lines(language ? "de" : "out"));
            EXPECT_EQ(joined(h.nicksOf("#a")) + "|" + joined(h.nicksOf("#b")) + "|" + joined(h.nicksOf("#c")),
                      c.one("nicks", "+amy @bob cy me|amy bob me|"));
            EXPECT_EQ(h.model.Tabs().Active().Caption, c.one("active", "#b"));
            const auto& addresses = h.shared.Addresses.Entries();
            EXPECT_EQ(Lines(addresses.begin(), addresses.end()), c.lines("address"));
            EXPECT_EQ(h.desktop.flashes, std::stoi(c.one("flashes", "0")));
        }
    }
}

// During registration, once both nicks are refused, "Main" says so before the prompt.
TEST(SessionEvents, BothNicksTakenShowTheNickInUseLine)
{
    for (const auto& [language, line] : {std::pair(0, "Nick is in use: OtherNick"), {1, "Nick ist in gebrauch: OtherNick"}}) {
        WiredSession h;
        h.settings.Language = language;
        h.events.Bind();
        h.connect();
        h.serverSends({":srv 433 * me :in use", ":srv 433 * OtherNick :in use"});
        EXPECT_EQ(h.newLines().back(), std::string("Main|<System>:") + line + "|system");
    }
}

// A handler that fails drops its line only; a few failures are reported, the rest not.
TEST(SessionEvents, AFailingHandlerIsReportedAndTheNextLineHandled)
{
    WiredSession h;
    h.events.Bind();
    h.connect();
    h.serverSends({":srv 001 me :Welcome"});
    h.irc.OnPingPong = [] { throw std::runtime_error("broken"); };
    h.newLines();
    h.serverSends(std::vector<std::string>(8, "PING :x"));
    h.serverSends({":srv 372 me :- still here"});
    const Lines shown = h.newLines();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Main|<System>:A line from the server could not be handled: broken|system"), 5);
    EXPECT_EQ(shown.back(), "Main|<->: still here|system");
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
