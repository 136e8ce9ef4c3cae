#include "SessionFakes.h"
#include "session/ChannelInText.h"

#include <gtest/gtest.h>

using namespace pell::session;
using namespace pell::session::testing;

using Lines = std::vector<std::string>;

TEST(ChannelInText, TakesTheChannelFromTheFirstOrSecondCharacter)
{
    const struct {
        std::string text;
        bool taken;
        std::string channel, rest;
    } cases[] = {
        {"#chan hello", true, "#chan", "hello"},
        {"@#chan hi", true, "#chan", "@hi"},
        {" #chan :hi", true, "#chan", " :hi"},
        {"#chan", true, "#chan", ""},
        {"x#", true, "#", "x"},
        {"ab#c d", false, "before", "ab#c d"},
        {"", false, "before", ""},
        {"#", true, "#", ""},
        {"#a  two", true, "#a", " two"},
    };
    for (const auto& c : cases) {
        std::string channel = "before", text = c.text;
        EXPECT_EQ(TakeChannelFromText(channel, text), c.taken) << c.text;
        EXPECT_EQ(channel, c.channel) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}

TEST(AddText, ChannelAndNickTakenFromTheText)
{
    SessionFixture s;
    s.model.AddText("Main", "", "#x hello world", 7);
    EXPECT_EQ(s.linesOf("#x"), (Lines{"<hello>: world"}));
    EXPECT_EQ(s.model.Tabs().Active().Caption, "#x");
    EXPECT_TRUE(s.linesOf("Main").empty());
}

TEST(AddText, ChannelRuleAppliesAgainAfterTheNick)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#chan");
    s.model.Tabs().NewChannel("#other");
    s.model.AddText("", "", "bob #chan :hi", 7);
    EXPECT_EQ(s.linesOf("#chan"), (Lines{"<bob>: :hi"}));
    EXPECT_EQ(s.model.Tabs().Active().Caption, "#other");
}

TEST(AddText, NickWithoutBlankTakesTheWholeText)
{
    SessionFixture s;
    s.model.AddText("Main", "", "lonely", 7);
    EXPECT_EQ(s.linesOf("Main"), (Lines{"<lonely>:"}));
}

TEST(AddText, NamedChannelsDoNotReadTheText)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#a");
    s.model.AddText("#a", "bob", "#b hi", 7);
    EXPECT_EQ(s.linesOf("#a"), (Lines{"<bob>:#b hi"}));
    EXPECT_EQ(s.model.Tabs().Find("#b"), -1);
}

TEST(AddText, PrivateMessageGoesToTheActiveTextTab)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#a");
    s.model.Tabs().NewChannel("#b");
    s.model.UserSelectsTab(1);
    s.model.AddText("", "bob", "psst", 7);
    EXPECT_EQ(s.linesOf("#a"), (Lines{"<bob>:psst"}));
    EXPECT_EQ(s.model.CurrentChannel(), "#a");
}

TEST(AddText, PrivateMessageWhileIgnoreTabIsActiveGoesToMain)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#a");
    s.model.UserSelectsTab(2);
    s.model.AddText("", "bob", "psst", 7);
    EXPECT_EQ(s.linesOf("Main"), (Lines{"<bob>:psst"}));
    EXPECT_EQ(s.model.Tabs().Active().Caption, "Main");
}

TEST(AddText, TargetWithoutTextViewFallsBackToTheFirstTab)
{
    SessionFixture s;
    s.model.AddText("Ignorlist", "bob", "x", 7);
    EXPECT_EQ(s.linesOf("Main"), (Lines{"<bob>:x"}));
    EXPECT_EQ(s.model.Tabs().Count(), 2);
}

TEST(AddText, MissingTabIsCreatedAndActivated)
{
    SessionFixture s;
    s.model.AddText("#new", "bob", "hello", 7);
    EXPECT_EQ(s.linesOf("#new"), (Lines{"<bob>:hello"}));
    EXPECT_EQ(s.model.Tabs().Active().Caption, "#new");
    EXPECT_EQ(s.model.Tabs().At(s.model.Tabs().Count() - 1).Caption, "Ignorlist");
}

TEST(AddText, FirstOfTwoEqualCaptionsGetsTheLine)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#a");
    s.model.Tabs().NewChannel("#b");
    s.model.Tabs().SetCaption(2, "#a");
    s.model.AddText("#a", "bob", "x", 7);
    const auto& tabs = s.model.Tabs();
    EXPECT_EQ(tabs.At(1).Text->Lines().size(), 1u);
    EXPECT_TRUE(tabs.At(2).Text->Lines().empty());
}

TEST(AddText, IgnoredNicksAreDroppedInAnyCaseAndAfterPrefix)
{
    SessionFixture s;
    s.model.IgnoreNick("bob");
    s.model.AddText("#a", "@BOB", "hi", 7);
    s.model.AddText("Main", "", "+Bob hi", 7);
    s.model.AddText("#a", "System", "bob joined", 7);
    EXPECT_EQ(s.linesOf("#a"), (Lines{"<System>:bob joined"}));
    EXPECT_TRUE(s.linesOf("Main").empty());
}

TEST(AddText, LineKeepsItsColourAndCodes)
{
    SessionFixture s;
    s.model.AddText("Main", "bob", "a\x02" "b", 0x123456);
    const auto& line = s.model.Tabs().At(0).Text->Lines().at(0);
    EXPECT_EQ(line.Runs(), (std::vector<TextRun>{{"<bob>:a", 0x123456, false, false}, {"b", 0x123456, true, false}}));
    EXPECT_EQ(s.view.appended, (std::vector<TabId>{s.model.Tabs().At(0).Id}));
}

TEST(SessionModel, ClearEmptiesTheActiveTextTabOnly)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#a");
    s.model.Tabs().RefillNickList("#a", {"bob"}, {0});
    s.model.AddText("#a", "bob", "x", 7);
    s.model.AddText("Main", "bob", "y", 7);
    s.model.ClearActive();
    EXPECT_TRUE(s.linesOf("#a").empty());
    EXPECT_EQ(s.linesOf("Main").size(), 1u);
    EXPECT_EQ(s.model.Tabs().At(1).Nicks->Count(), 1);
    s.model.UserSelectsTab(2);
    s.model.ClearActive(); // the ignore tab has nothing to clear
    EXPECT_EQ(s.linesOf("Main").size(), 1u);
}

TEST(SessionModel, FlashesOnlyWhenEnabledAndNotInFront)
{
    const struct {
        bool enabled, inFront;
        int flashes;
    } cases[] = {{true, false, 1}, {true, true, 0}, {false, false, 0}, {false, true, 0}};
    for (const auto& c : cases) {
        SessionFixture s;
        s.settings.FlashOnMessage = c.enabled;
        s.desktop.inFront = c.inFront;
        s.model.FlashOnMessage();
        EXPECT_EQ(s.desktop.flashes, c.flashes) << c.enabled << c.inFront;
    }
}

TEST(SessionModel, LinksOpenWithWwwAsHttpAndFailuresAreSwallowed)
{
    SessionFixture s;
    s.desktop.throwOnOpen = true;
    s.model.OpenLink("www.a.org");
    s.model.OpenLink("https://b.org");
    EXPECT_EQ(s.desktop.opened, (std::vector<std::string>{"http://www.a.org", "https://b.org"}));
}

TEST(SessionModel, AddressListAndQuitReasonAreShared)
{
    SessionFixture s;
    SessionModel second(s.settings, s.shared, SessionPorts{s.view, s.desktop, s.prompts, s.saveDialog});
    s.model.CollectUrls("http://one");
    second.CollectUrls("www.two");
    s.shared.QuitReason = "bye";
    EXPECT_EQ(second.Shared().QuitReason, "bye");
    EXPECT_EQ(s.shared.Addresses.Entries().front(), "www.two");
    EXPECT_EQ(s.shared.Addresses.Entries().size(), 2u);
}
