#include "session/IgnoreList.h"
#include "session/NickPrefix.h"
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

std::string captions(const SessionTabs& tabs)
{
    std::string result;
    for (int i = 0; i < tabs.Count(); ++i)
        result += (i ? " " : "") + tabs.At(i).Caption;
    return result + " (" + tabs.At(tabs.ActiveIndex()).Caption + ")";
}

TEST(SessionTabs, NewChannelActivatesAndKeepsMainFirstAndIgnorlistLast)
{
    CountingView view;
    SessionTabs tabs(view);
    EXPECT_EQ(captions(tabs), "Main Ignorlist (Main)");
    EXPECT_TRUE(tabs.At(0).IsText());
    EXPECT_FALSE(tabs.At(1).IsText());
    EXPECT_EQ(tabs.At(1).Nicks, nullptr);
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    EXPECT_EQ(view.active, 2);
    tabs.NewChannel("#a"); // an existing caption is only activated
    EXPECT_EQ(captions(tabs), "Main #a #b Ignorlist (#a)");
    tabs.NewChannel("#A"); // captions compare with case
    EXPECT_EQ(captions(tabs), "Main #a #b #A Ignorlist (#A)");
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
    for (const char* caption : {"#a", "#b", "#c"})
        tabs.NewChannel(caption);
    EXPECT_TRUE(tabs.CloseTab(1)); // not the active one: #c stays
    tabs.Activate(1);
    tabs.SetCaption(0, "renamed"); // fixed by identity, not by caption
    for (int index : {0, 3, 7, -1})
        EXPECT_FALSE(tabs.CloseTab(index)) << index;
    EXPECT_EQ(captions(tabs), "renamed #b #c Ignorlist (#b)");
    EXPECT_TRUE(tabs.CloseTab(1));
    EXPECT_EQ(captions(tabs), "renamed #c Ignorlist (#c)");
    EXPECT_TRUE(tabs.CloseTab(1));
    tabs.NewChannel("#d");
    EXPECT_EQ(captions(tabs), "renamed #d Ignorlist (#d)");
    EXPECT_TRUE(tabs.CloseTab(1));
    EXPECT_EQ(captions(tabs), "renamed Ignorlist (Ignorlist)");
}

TEST(NickList, SortsWithoutCaseOverTheWholeEntryAndRefillKeepsTheFirstOfCaseEqualOnes)
{
    NickList one, bulk;
    for (const char* entry : {"dan", "@bob", "Amy", "+amy", "carl", "@+cy", "Bob", "bob"})
        one.Add(entry);
    EXPECT_EQ(one.Entries(), (Entries{"+amy", "@+cy", "@bob", "Amy", "Bob", "bob", "carl", "dan"}));
    bulk.Refill({"zed", "@Zed", "+Bo", "x", "Bob", "amy", "bob", "BOB"});
    EXPECT_EQ(bulk.Entries(), (Entries{"+Bo", "@Zed", "amy", "Bob", "x", "zed"}));
    EXPECT_TRUE(bulk.ContainsIgnoringCase("BOB"));
    EXPECT_FALSE(bulk.ContainsIgnoringCase("bo"));
    // entry -> nick without one "@" then one "+", and the prefix (the first character)
    for (const auto& [entry, expected] : std::vector<std::pair<std::string, std::string>>{
             {"@+bob", "bob|@"}, {"+bob", "bob|+"}, {"+@bob", "@bob|+"}, {"@@bob", "@bob|@"},
             {"bob", "bob|"}, {"", "|"}, {"@", "|@"}, {"++bob", "+bob|+"}})
        EXPECT_EQ(StripNickPrefix(entry) + "|" + NickPrefixOf(entry), expected) << entry;
}

// Each row fills the lists of Main, #a and #b, acts, and reads the three lists back.
TEST(NickList, TabsAddRemoveRenameAndRefillTheirUsers)
{
    const struct {
        std::function<void(SessionTabs&)> act;
        std::vector<Entries> before, after;
    } cases[] = {
        // Join: a prefixed entry of the nick gives way to the plain one, in that tab only.
        {[](auto& t) { t.AddUserTo("#a", "bob"); }, {{}, {"@bob", "+Bob", "amy"}, {"@bob"}}, {{}, {"+Bob", "amy", "bob"}, {"@bob"}}},
        // Leave: every prefix in every tab, another case stays.
        {[](auto& t) { t.DelUser("bob"); }, {{"bob"}, {"bob", "@bob", "+bob", "Bob"}, {"@+bob", "amy"}}, {{}, {"Bob"}, {"amy"}}},
        // Rename keeps the first prefix character.
        {[](auto& t) { t.NewNickForUser("bob", "rob"); }, {{"@bob", "amy"}, {"+bob", "zoe"}, {"@+bob", "Bob"}},
         {{"@rob", "amy"}, {"+rob", "zoe"}, {"@rob", "Bob"}}},
        // Names reply: prefixed entries, the same twice; skips empty nicks, users without
        // flags and duplicates; a channel without tab changes nothing.
        {[](auto& t) { t.RefillNickList("#a", {"bob", "amy", "cy", "dan"}, {1, 2, 3, 0}); }, {{}, {"x"}, {}},
         {{}, {"+amy", "@+cy", "@bob", "dan"}, {}}},
        {[](auto& t) { t.RefillNickList("#a", {"bob", "", "Bob", "eve", "zed"}, {0, 1, 0, 7}); }, {{}, {"old"}, {}},
         {{}, {"bob", "eve"}, {}}},
        {[](auto& t) { for (const char* c : {"#c", "#A", "Ignorlist"}) t.RefillNickList(c, {"bob"}, {1}); }, {{}, {"amy"}, {}},
         {{}, {"amy"}, {}}},
    };
    for (const auto& c : cases) {
        SessionViewPort view;
        SessionTabs tabs(view);
        tabs.NewChannel("#a");
        tabs.NewChannel("#b");
        for (int i = 0; i < 3; ++i)
            for (const auto& entry : c.before[i])
                tabs.At(i).Nicks->Add(entry);
        c.act(tabs);
        c.act(tabs); // twice gives the same
        EXPECT_EQ(tabs.Count(), 4);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(tabs.At(i).Nicks->Entries(), c.after[i]) << tabs.At(i).Caption;
    }
}

TEST(IgnoreList, ComparesWithoutCaseKeepsOrderAndTheSelectionFollowsItsEntry)
{
    IgnoreList list;
    EXPECT_EQ((std::vector<bool>{list.Add("bob"), list.Add("Bob"), list.Add("amy"), list.Add("cy")}),
              (std::vector<bool>{true, false, true, true}));
    EXPECT_EQ((std::vector<bool>{list.IsIgnored("BOB"), list.IsIgnored("bo"), list.IsIgnored("bobby")}),
              (std::vector<bool>{true, false, false}));
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

} // namespace
