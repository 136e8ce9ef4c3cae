#include "session/SessionTabs.h"

#include <gtest/gtest.h>

using namespace pell::session;

namespace {

using Entries = std::vector<std::string>;

struct NickListTest : ::testing::Test {
    SessionViewPort view;
    SessionTabs tabs{view};

    const Entries& nicks(const std::string& caption) { return tabs.At(tabs.Find(caption)).Nicks->Entries(); }
    void fill(const std::string& caption, const Entries& entries)
    {
        for (const auto& entry : entries)
            tabs.At(tabs.Find(caption)).Nicks->Add(entry);
    }
};

} // namespace

TEST(NickListOrder, SortsWithoutCaseOverTheWholeEntry)
{
    NickList list;
    for (const char* entry : {"dan", "@bob", "Amy", "+amy", "carl", "@+cy", "Bob", "bob"})
        list.Add(entry);
    EXPECT_EQ(list.Entries(), (Entries{"+amy", "@+cy", "@bob", "Amy", "Bob", "bob", "carl", "dan"}));
}

TEST(NickListOrder, RefillGivesTheSameOrderAsAddingOneByOne)
{
    const Entries input{"zed", "@Zed", "ann", "+Bo", "bo", "@+ann", "Yan", "x"};
    NickList one;
    for (const auto& entry : input)
        one.Add(entry);
    NickList bulk;
    bulk.Refill(input);
    EXPECT_EQ(bulk.Entries(), one.Entries());
}

TEST(NickListOrder, RefillKeepsTheFirstOfCaseEqualEntries)
{
    NickList list;
    list.Refill({"Bob", "amy", "bob", "BOB"});
    EXPECT_EQ(list.Entries(), (Entries{"amy", "Bob"}));
    EXPECT_TRUE(list.ContainsIgnoringCase("BOB"));
    EXPECT_FALSE(list.ContainsIgnoringCase("bo"));
}

TEST_F(NickListTest, NamesReplyBuildsPrefixedEntriesAndIsIdempotent)
{
    tabs.NewChannel("#a");
    const Entries users{"bob", "amy", "cy", "dan"};
    const std::vector<int> flags{1, 2, 3, 0};
    tabs.RefillNickList("#a", users, flags);
    const Entries expected{"+amy", "@+cy", "@bob", "dan"};
    EXPECT_EQ(nicks("#a"), expected);
    tabs.RefillNickList("#a", users, flags);
    EXPECT_EQ(nicks("#a"), expected);
}

TEST_F(NickListTest, NamesReplySkipsEmptyNicksUsersWithoutFlagsAndDuplicates)
{
    tabs.NewChannel("#a");
    fill("#a", {"old"});
    tabs.RefillNickList("#a", {"bob", "", "Bob", "eve", "zed"}, {0, 1, 0, 7});
    EXPECT_EQ(nicks("#a"), (Entries{"bob", "eve"}));
}

TEST_F(NickListTest, NamesReplyForChannelWithoutTabChangesNothing)
{
    tabs.NewChannel("#a");
    fill("#a", {"amy"});
    tabs.RefillNickList("#b", {"bob"}, {1});
    tabs.RefillNickList("#A", {"bob"}, {1});
    tabs.RefillNickList("Ignorlist", {"bob"}, {1});
    EXPECT_EQ(tabs.Count(), 3);
    EXPECT_EQ(nicks("#a"), (Entries{"amy"}));
}

TEST_F(NickListTest, AddUserToReplacesPrefixedEntryByPlainNick)
{
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    fill("#a", {"@bob", "+Bob", "amy"});
    fill("#b", {"@bob"});
    tabs.AddUserTo("#a", "bob");
    EXPECT_EQ(nicks("#a"), (Entries{"+Bob", "amy", "bob"}));
    EXPECT_EQ(nicks("#b"), (Entries{"@bob"}));
    tabs.AddUserTo("#none", "bob");
    EXPECT_EQ(tabs.Count(), 4);
}

TEST_F(NickListTest, DelUserRemovesEveryPrefixInEveryTabButKeepsOtherCase)
{
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    fill("Main", {"bob"});
    fill("#a", {"bob", "@bob", "+bob", "Bob"});
    fill("#b", {"@+bob", "amy"});
    tabs.DelUser("bob");
    EXPECT_TRUE(nicks("Main").empty());
    EXPECT_EQ(nicks("#a"), (Entries{"Bob"}));
    EXPECT_EQ(nicks("#b"), (Entries{"amy"}));
}

TEST_F(NickListTest, NewNickForUserKeepsOnlyTheFirstPrefixCharacter)
{
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    tabs.NewChannel("#c");
    fill("#a", {"@bob", "amy"});
    fill("#b", {"+bob", "zoe"});
    fill("#c", {"@+bob", "Bob"});
    tabs.NewNickForUser("bob", "rob");
    EXPECT_EQ(nicks("#a"), (Entries{"@rob", "amy"}));
    EXPECT_EQ(nicks("#b"), (Entries{"+rob", "zoe"}));
    EXPECT_EQ(nicks("#c"), (Entries{"@rob", "Bob"}));
}

TEST_F(NickListTest, NewNickForUserToTheSameNickReplacesOnce)
{
    tabs.NewChannel("#a");
    fill("#a", {"@+bob", "bob"});
    tabs.NewNickForUser("bob", "bob");
    EXPECT_EQ(nicks("#a"), (Entries{"@bob", "bob"}));
}
