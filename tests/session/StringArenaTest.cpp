#include "session/StringArena.h"

#include <gtest/gtest.h>

using pell::session::StringArena;

// Entries keep their bytes whatever their size and wherever the block boundaries fall; a
// long log is held compressed, yet every entry reads back, in any order.
TEST(StringArena, KeepsEveryEntryAcrossBlocksAndShrinksFilledOnes)
{
    StringArena arena;
    std::vector<std::string> expected;
    for (int round = 0; round < 4; ++round) {
        for (std::size_t size : {0, 1, 100, 200000, 70000, 300000, 5, 0, 262144, 262143, 1}) {
            std::string text(size, static_cast<char>('a' + expected.size() % 26));
            if (!text.empty())
                text.back() = '\0'; // bytes, not C strings
            arena.push_back(text);
            expected.push_back(text);
        }
    }
    StringArena log;
    std::vector<std::string> lines;
    std::size_t raw = 0;
    for (int i = 0; i < 100000; ++i) {
        lines.push_back("nick" + std::to_string(i % 50) + ": $$$ Command: PRIVMSG$$$ Conntent: #c :line " + std::to_string(i));
        log.push_back(lines.back());
        raw += lines.back().size();
    }
    EXPECT_LT(log.StoredBytes(), raw / 2);
    for (std::size_t i : {99999, 0, 54321, 1, 99998})
        EXPECT_EQ(log[i], lines[i]) << "entry " << i;
    EXPECT_EQ(log.ToVector(), lines);
    ASSERT_EQ(arena.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(arena[i], expected[i]) << "entry " << i;
    EXPECT_EQ(arena.back(), expected.back());
    EXPECT_EQ(arena.ToVector(), expected);
}
