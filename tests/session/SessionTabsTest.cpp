#include "session/SessionTabs.h"

#include <gtest/gtest.h>

using namespace pell::session;

namespace {

struct CountingView : SessionViewPort {
    int tabs = 0;
    int active = 0;
    void tabsChanged() override { ++tabs; }
    void activeTabChanged() override { ++active; }
};

std::vector<std::string> captions(const SessionTabs& tabs)
{
    std::vector<std::string> result;
    for (int i = 0; i < tabs.Count(); ++i)
        result.push_back(tabs.At(i).Caption);
    return result;
}

} // namespace

TEST(SessionTabs, NewWindowHasMainThenIgnorlist)
{
    CountingView view;
    SessionTabs tabs(view);
    EXPECT_EQ(captions(tabs), (std::vector<std::string>{"Main", "Ignorlist"}));
    EXPECT_TRUE(tabs.At(0).IsText());
    EXPECT_FALSE(tabs.At(1).IsText());
    EXPECT_EQ(tabs.At(1).Nicks, nullptr);
    EXPECT_EQ(tabs.ActiveIndex(), 0);
}

TEST(SessionTabs, NewChannelAppendsBeforeIgnorlistAndActivates)
{
    CountingView view;
    SessionTabs tabs(view);
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    EXPECT_EQ(captions(tabs), (std::vector<std::string>{"Main", "#a", "#b", "Ignorlist"}));
    EXPECT_EQ(tabs.Active().Caption, "#b");
    EXPECT_GE(view.active, 2);
}

TEST(SessionTabs, NewChannelForExistingCaptionOnlyActivates)
{
    CountingView view;
    SessionTabs tabs(view);
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    tabs.NewChannel("#a");
    EXPECT_EQ(tabs.Count(), 4);
    EXPECT_EQ(tabs.Active().Caption, "#a");
}

TEST(SessionTabs, CaptionsCompareWithCase)
{
    CountingView view;
    SessionTabs tabs(view);
    tabs.NewChannel("#a");
    tabs.NewChannel("#A");
    EXPECT_EQ(captions(tabs), (std::vector<std::string>{"Main", "#a", "#A", "Ignorlist"}));
    EXPECT_EQ(tabs.Find("#A"), 2);
    EXPECT_EQ(tabs.Find("#x"), -1);
}

TEST(SessionTabs, DuplicateCaptionsFindFirstAndActivateLast)
{
    CountingView view;
    SessionTabs tabs(view);
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    tabs.SetCaption(2, "#a");
    EXPECT_EQ(tabs.Find("#a"), 1);
    tabs.NewChannel("Main");
    tabs.NewChannel("#a");
    EXPECT_EQ(tabs.ActiveIndex(), 2);
}

TEST(SessionTabs, ClosingMovesToRightNeighbourAndRefusesFixedTabs)
{
    CountingView view;
    SessionTabs tabs(view);
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    tabs.Activate(1);
    EXPECT_FALSE(tabs.CloseTab(0));
    EXPECT_FALSE(tabs.CloseTab(3));
    EXPECT_FALSE(tabs.CloseTab(7));
    EXPECT_TRUE(tabs.CloseTab(1));
    EXPECT_EQ(captions(tabs), (std::vector<std::string>{"Main", "#b", "Ignorlist"}));
    EXPECT_EQ(tabs.Active().Caption, "#b");
    EXPECT_TRUE(tabs.CloseTab(1));
    EXPECT_EQ(tabs.Active().Caption, "Ignorlist");
}

TEST(SessionTabs, ClosingAnInactiveTabKeepsTheActiveOne)
{
    CountingView view;
    SessionTabs tabs(view);
    tabs.NewChannel("#a");
    tabs.NewChannel("#b");
    EXPECT_TRUE(tabs.CloseTab(1));
    EXPECT_EQ(tabs.Active().Caption, "#b");
}

TEST(SessionTabs, FixedTabsStayFixedAfterRenaming)
{
    CountingView view;
    SessionTabs tabs(view);
    tabs.SetCaption(0, "renamed");
    EXPECT_TRUE(tabs.IsFixed(0));
    EXPECT_FALSE(tabs.CloseTab(0));
    tabs.NewChannel("#c");
    EXPECT_EQ(tabs.At(tabs.Count() - 1).Caption, "Ignorlist");
}
