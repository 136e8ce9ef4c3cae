#include "session/IgnoreList.h"
#include "session/RawLog.h"

#include <gtest/gtest.h>

using namespace pell::session;

TEST(IgnoreList, ComparesWithoutCaseAndKeepsOrder)
{
    IgnoreList list;
    EXPECT_TRUE(list.Add("bob"));
    EXPECT_FALSE(list.Add("Bob"));
    EXPECT_TRUE(list.Add("amy"));
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"bob", "amy"}));
    EXPECT_TRUE(list.IsIgnored("BOB"));
    EXPECT_FALSE(list.IsIgnored("bo"));
    EXPECT_FALSE(list.IsIgnored("bobby"));
}

TEST(IgnoreList, RemoveDeletesTheFirstMatch)
{
    IgnoreList list;
    list.Add("bob");
    list.Add("amy");
    EXPECT_FALSE(list.Remove("zed"));
    EXPECT_TRUE(list.Remove("BOB"));
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"amy"}));
}

TEST(IgnoreList, DeleteSelectedNeedsASelection)
{
    IgnoreList list;
    list.Add("bob");
    list.Add("amy");
    list.Add("cy");
    EXPECT_FALSE(list.DeleteSelected());
    list.Select(5);
    EXPECT_FALSE(list.DeleteSelected());
    list.Select(2);
    list.Remove("bob"); // the selection follows its entry
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"amy"}));
    EXPECT_EQ(list.Selected(), -1);
}

TEST(RawLog, SelectsOnlyWhenAsked)
{
    RawLog log;
    log.AppendSelected("a");
    log.Append("b");
    EXPECT_EQ(log.Selected(), 0);
    log.AppendSelected("c");
    EXPECT_EQ(log.Entries().ToVector(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(log.Selected(), 2);
}
