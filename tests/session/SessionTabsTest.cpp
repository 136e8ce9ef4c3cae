#include "session/IgnoreList.h"
#include "session/NickPrefix.h"
#include "session/RawLog.h"
#include "session/SessionTabs.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pell::session;

namespace {

using Entries = std::vector<std::string>;

struct CountingView : SessionViewPort {
    int active = 0;
    void activeTabChanged() override { ++active; }
};

Entries captions(const SessionTabs& tabs)
{
    Entries result;
    for (int i = 0; i < tabs.Count(); ++i)
        result.push_back(tabs.At(i).Caption);
    return result;
}

TEST(SessionTabs, NewChannelActivatesAndKeepsMainFirstAndIgnorlistLast)
{
    CountingView view;
    SessionTabs tabs(view);
    EXPECT_EQ(captions(tabs), (Entries{"Main", "Ignorlist"}));
    EXPECT_TRUE(tabs.At(0).IsText());
    EXPECT_FALSE(tabs.At(1).IsText());
    EXPECT_EQ(tabs.At(1).Nicks, nullptr);
    EXPECT_EQ(tabs.ActiveIndex(), 0);
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    EXPECT_EQ(tabs.Active().Caption, "#b");
    EXPECT_GE(view.active, 2);
    tabs.NewChannel("#a"); // an existing caption is only activated
    EXPECT_EQ(tabs.Active().Caption, "#a");
    tabs.NewChannel("#A"); // captions compare with case
    EXPECT_EQ(captions(tabs), (Entries{"Main", "#a", "#b", "#A", "Ignorlist"}));
    EXPECT_EQ(tabs.Find("#A"), 3);
    EXPECT_EQ(tabs.Find("#x"), -1);
    // Of two equal captions Find gives the first and NewChannel activates the last.
    tabs.SetCaption(2, "#a");
    EXPECT_EQ(tabs.Find("#a"), 1);
    tabs.NewChannel("Main");
    tabs.NewChannel("#a");
    EXPECT_EQ(tabs.ActiveIndex(), 2);
}

TEST(SessionTabs, ClosingMovesToTheRightNeighbourAndRefusesFixedTabs)
{
    CountingView view;
    SessionTabs tabs(view);
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    tabs.NewChannel("#c");
    EXPECT_TRUE(tabs.CloseTab(1)); // not active: #c stays
    EXPECT_EQ(tabs.Active().Caption, "#c");
    tabs.Activate(1);
    tabs.SetCaption(0, "renamed"); // fixed by identity, not by caption
    for (int index : {0, 3, 7, -1})
        EXPECT_FALSE(tabs.CloseTab(index)) << index;
    EXPECT_TRUE(tabs.CloseTab(1));
    EXPECT_EQ(captions(tabs), (Entries{"renamed", "#c", "Ignorlist"}));
    EXPECT_EQ(tabs.Active().Caption, "#c");
    EXPECT_TRUE(tabs.CloseTab(1));
    EXPECT_EQ(tabs.Active().Caption, "Ignorlist");
    tabs.NewChannel("#d");
    EXPECT_EQ(captions(tabs), (Entries{"renamed", "#d", "Ignorlist"}));
}

TEST(NickList, SortsWithoutCaseOverTheWholeEntryAndRefillKeepsTheFirstOfCaseEqualOnes)
{
    const Entries input{"dan", "@bob", "Amy", "+amy", "carl", "@+cy", "Bob", "bob"};
    NickList one, bulk;
    for (const auto& entry : input)
        one.Add(entry);
    EXPECT_EQ(one.Entries(), (Entries{"+amy", "@+cy", "@bob", "Amy", "Bob", "bob", "carl", "dan"}));
    bulk.Refill({"zed", "@Zed", "+Bo", "x", "Bob", "amy", "bob", "BOB"});
    EXPECT_EQ(bulk.Entries(), (Entries{"+Bo", "@Zed", "amy", "Bob", "x", "zed"}));
    EXPECT_TRUE(bulk.ContainsIgnoringCase("BOB"));
    EXPECT_FALSE(bulk.ContainsIgnoringCase("bo"));
}

TEST(NickPrefix, StripRemovesOneAtThenOnePlusAndPrefixIsTheFirstCharacter)
{
    const struct {
        const char* entry;
        const char* nick;
        const char* prefix;
    } cases[] = {
        {"@+bob", "bob", "@"}, {"+bob", "bob", "+"}, {"+@bob", "@bob", "+"}, {"@@bob", "@bob", "@"},
        {"bob", "bob", ""},    {"", "", ""},         {"@", "", "@"},         {"++bob", "+bob", "+"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StripNickPrefix(c.entry), c.nick) << c.entry;
        EXPECT_EQ(NickPrefixOf(c.entry), c.prefix) << c.entry;
    }
}

// Each row fills the lists of Main, #a and #b, acts, and reads the three lists back.
TEST(NickList, TabsAddRemoveRenameAndRefillTheirUsers)
{
    const struct {
        const char* name;
        std::vector<Entries> before;
        std::function<void(SessionTabs&)> act;
        std::vector<Entries> after;
    } cases[] = {
        {"join replaces a prefixed entry by the plain nick, in that tab only", {{}, {"@bob", "+Bob", "amy"}, {"@bob"}},
         [](auto& t) { t.AddUserTo("#a", "bob"); }, {{}, {"+Bob", "amy", "bob"}, {"@bob"}}},
        {"join of a channel without tab", {{}, {"amy"}, {}}, [](auto& t) { t.AddUserTo("#none", "bob"); }, {{}, {"amy"}, {}}},
        {"leave removes every prefix in every tab, other case stays",
         {{"bob"}, {"bob", "@bob", "+bob", "Bob"}, {"@+bob", "amy"}}, [](auto& t) { t.DelUser("bob"); },
         {{}, {"Bob"}, {"amy"}}},
        {"rename keeps the first prefix character", {{"@bob", "amy"}, {"+bob", "zoe"}, {"@+bob", "Bob"}},
         [](auto& t) { t.NewNickForUser("bob", "rob"); }, {{"@rob", "amy"}, {"+rob", "zoe"}, {"@rob", "Bob"}}},
        {"rename to the same nick", {{}, {"@+bob", "bob"}, {}}, [](auto& t) { t.NewNickForUser("bob", "bob"); },
         {{}, {"@bob", "bob"}, {}}},
        {"names reply builds prefixed entries, twice the same", {{}, {}, {}},
         [](auto& t) {
             for (int twice = 0; twice < 2; ++twice)
                 t.RefillNickList("#a", {"bob", "amy", "cy", "dan"}, {1, 2, 3, 0});
         },
         {{}, {"+amy", "@+cy", "@bob", "dan"}, {}}},
        {"names reply skips empty nicks, users without flags and duplicates", {{}, {"old"}, {}},
         [](auto& t) { t.RefillNickList("#a", {"bob", "", "Bob", "eve", "zed"}, {0, 1, 0, 7}); }, {{}, {"bob", "eve"}, {}}},
        {"names reply for a channel without tab", {{}, {"amy"}, {}},
         [](auto& t) {
             for (const char* caption : {"#c", "#A", "Ignorlist"})
                 t.RefillNickList(caption, {"bob"}, {1});
         },
         {{}, {"amy"}, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionViewPort view;
        SessionTabs tabs(view);
        tabs.NewChannel("#a");
        tabs.NewChannel("#b");
        for (int i = 0; i < 3; ++i)
            for (const auto& entry : c.before[i])
                tabs.At(i).Nicks->Add(entry);
        c.act(tabs);
        EXPECT_EQ(tabs.Count(), 4);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(tabs.At(i).Nicks->Entries(), c.after[i]) << tabs.At(i).Caption;
    }
}

TEST(IgnoreList, ComparesWithoutCaseKeepsOrderAndTheSelectionFollowsItsEntry)
{
    IgnoreList list;
    EXPECT_TRUE(list.Add("bob"));
    EXPECT_FALSE(list.Add("Bob"));
    EXPECT_TRUE(list.Add("amy"));
    EXPECT_TRUE(list.Add("cy"));
    EXPECT_TRUE(list.IsIgnored("BOB"));
    EXPECT_FALSE(list.IsIgnored("bo"));
    EXPECT_FALSE(list.IsIgnored("bobby"));
    EXPECT_FALSE(list.DeleteSelected());
    list.Select(5);
    EXPECT_FALSE(list.DeleteSelected());
    list.Select(2);
    EXPECT_FALSE(list.Remove("zed"));
    EXPECT_TRUE(list.Remove("BOB"));
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(list.Entries(), (Entries{"amy"}));
    EXPECT_EQ(list.Selected(), -1);
}

TEST(RawLog, SelectsOnlyWhenAsked)
{
    RawLog log;
    log.AppendSelected("a");
    log.Append("b");
    EXPECT_EQ(log.Selected(), 0);
    log.AppendSelected("c");
    EXPECT_EQ(log.Entries().ToVector(), (Entries{"a", "b", "c"}));
    EXPECT_EQ(log.Selected(), 2);
}

} // namespace
