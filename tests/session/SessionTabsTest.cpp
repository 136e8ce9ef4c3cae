#include "session/IgnoreList.h"
#include "session/SessionTabs.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>

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

// Table: tests/data/session/tabs.txt.
TEST(SessionTabs, OpenCloseAndTheUsersOfEachTabFollowTheSteps)
{
    SessionViewPort plain;
    const SessionTabs fresh(plain); // only Main is text, and Ignorlist has no nick list
    EXPECT_TRUE(fresh.At(0).IsText() && !fresh.At(1).IsText() && !fresh.At(1).Nicks);
    for (const auto& c : pell::test::readCases("session/tabs.txt")) {
        SCOPED_TRACE(c.name);
        CountingView view;
        SessionTabs tabs(view);
        for (const auto& step : c.lines("do")) {
            SCOPED_TRACE(step);
            std::istringstream in(step);
            const Entries w{std::istream_iterator<std::string>(in), {}};
            const std::string rest = step.substr(std::min(step.size(), w[0].size() + 1));
            const auto number = [&] { return std::stoi(w.at(1)); };
            const auto nicks = [&] { return tabs.At(tabs.Find(w.at(1))).Nicks.get(); };
            if (w[0] == "new")
                tabs.NewChannel(w.at(1));
            else if (w[0] == "activate")
                tabs.Activate(number());
            else if (w[0] == "caption")
                tabs.SetCaption(number(), w.at(2));
            else if (w[0] == "close" || w[0] == "refuse")
                EXPECT_EQ(tabs.CloseTab(number()), w[0] == "close");
            else if (w[0] == "fill")
                std::for_each(w.begin() + 2, w.end(), [&](const std::string& e) { nicks()->Add(e); });
            else if (w[0] == "add")
                tabs.AddUserTo(w.at(1), w.at(2));
            else if (w[0] == "del")
                tabs.DelUser(w.at(1));
            else if (w[0] == "rename")
                tabs.NewNickForUser(w.at(1), w.at(2));
            else if (w[0] == "refill") {
                Entries names;
                std::vector<int> flags;
                for (auto e = w.begin() + 2; e != w.end(); ++e) {
                    names.push_back(e->substr(0, e->find(':')));
                    if (e->find(':') != std::string::npos)
                        flags.push_back(std::stoi(e->substr(e->find(':') + 1)));
                }
                tabs.RefillNickList(w.at(1), names, flags);
            } else if (w[0] == "tabs")
                EXPECT_EQ(captions(tabs), rest);
            else if (w[0] == "find")
                EXPECT_EQ(tabs.Find(w.at(1)), std::stoi(w.at(2)));
            else if (w[0] == "active")
                EXPECT_EQ(tabs.ActiveIndex(), number());
            else if (w[0] == "activations")
                EXPECT_EQ(view.active, number());
            else if (w[0] == "nicks")
                EXPECT_EQ(nicks()->Entries(), Entries(w.begin() + 2, w.end()));
            else
                ADD_FAILURE() << "unknown step";
        }
    }
}

TEST(NickList, RefillSortsAndKeepsTheFirstOfCaseEqualOnes)
{
    NickList bulk; // adding one at a time: the row of tabs.txt
    bulk.Refill({"zed", "@Zed", "+Bo", "x", "Bob", "amy", "bob", "BOB"});
    EXPECT_EQ(bulk.Entries(), (Entries{"+Bo", "@Zed", "amy", "Bob", "x", "zed"}));
    EXPECT_TRUE(bulk.ContainsIgnoringCase("BOB"));
    EXPECT_FALSE(bulk.ContainsIgnoringCase("bo"));
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
