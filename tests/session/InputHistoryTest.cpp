#include "session/InputHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using pell::session::InputHistory;

// Keys: U for Up, D for Down; each shows one line.
TEST(InputHistory, UpAndDownWrapAndTurnWhereTheOtherDirectionStopped)
{
    const struct {
        std::vector<std::string> lines;
        std::string keys;
        std::vector<std::string> shown;
    } cases[] = {
        {{"a", "b", "c"}, "UUUUD", {"c", "b", "a", "c", "b"}},
        {{"a", "b", "c"}, "DDDD", {"c", "a", "b", "c"}},
        {{"a", "b", "c"}, "DU", {"c", "a"}},
        {{"a", "b", "c"}, "UUDD", {"c", "b", "a", "b"}},
        {{"only"}, "UUD", {"only", "only", "only"}},
        {{"a", "", "c"}, "UU", {"c", ""}},
    };
    for (const auto& c : cases) {
        InputHistory history;
        for (const auto& line : c.lines)
            history.Add(line);
        std::vector<std::string> shown;
        for (char key : c.keys)
            shown.push_back(*(key == 'U' ? history.Back() : history.Forward()));
        EXPECT_EQ(shown, c.shown) << c.keys;
    }
}

TEST(InputHistory, NewLineResetsTheBrowsePositionToItself)
{
    InputHistory history;
    history.Add("a");
    history.Add("b");
    history.Back();
    history.Back();
    history.Add("c");
    EXPECT_EQ(history.Index(), 2);
    EXPECT_EQ(history.Back(), "c");
}
