#include "session/InputHistory.h"

#include <gtest/gtest.h>

using pell::session::InputHistory;

// Keys: U for Up, D for Down, each showing one line; a letter adds that line.
TEST(InputHistory, UpAndDownWrapAndTurnWhereTheOtherDirectionStopped)
{
    const std::pair<std::string, std::string> cases[] = {
        {"abcUUUUD", "cbacb"}, {"abcDDDD", "cabc"}, {"abcDU", "ca"}, {"abcUUDD", "cbab"},
        {"oUUD", "ooo"},       {"abUUcU", "bac"}, // a new line resets the position to itself
    };
    for (const auto& [keys, shown] : cases) {
        InputHistory history;
        std::string seen;
        for (char key : keys) {
            if (key == 'U' || key == 'D')
                seen += *(key == 'U' ? history.Back() : history.Forward());
            else
                history.Add(std::string(1, key));
        }
        EXPECT_EQ(seen, shown) << keys;
    }
    InputHistory history;
    EXPECT_FALSE(history.Back()); // nothing to go back to
    history.Add("a");
    history.Add("");
    EXPECT_EQ(history.Index(), 1);
    EXPECT_EQ(history.Back(), "");
}
