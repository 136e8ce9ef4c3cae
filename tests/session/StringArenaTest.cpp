#include "session/StringArena.h"

#include <gtest/gtest.h>

using pell::session::StringArena;

// Entries keep their bytes whatever their size and wherever the block boundaries fall.
TEST(StringArena, KeepsEveryEntryAcrossBlocksAndOversizedEntries)
{
    StringArena arena;
    std::vector<std::string> expected;
    const std::size_t sizes[] = {0, 1, 100, 200000, 70000, 300000, 5, 0, 262144, 262143, 1};
    for (int round = 0; round < 4; ++round) {
        for (std::size_t size : sizes) {
            std::string text(size, static_cast<char>('a' + expected.size() % 26));
            if (!text.empty())
                text.back() = '\0'; // bytes, not C strings
            arena.push_back(text);
            expected.push_back(text);
        }
    }
    ASSERT_EQ(arena.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(arena[i], expected[i]) << "entry " << i;
    EXPECT_EQ(arena.back(), expected.back());
    EXPECT_EQ(arena.ToVector(), expected);
}

// A long log is held compressed, yet every entry reads back, in any order.
TEST(StringArena, FilledBlocksShrinkAndStillReadBackInAnyOrder)
{
    StringArena arena;
    std::vector<std::string> expected;
    for (int i = 0; i < 100000; ++i) {
        expected.push_back("nick" + std::to_string(i % 50) + ": $$$ Command: PRIVMSG$$$ Conntent: #c :line "
                           + std::to_string(i));
        arena.push_back(expected.back());
    }
    std::size_t raw = 0;
    for (const std::string& e : expected)
        raw += e.size();
    EXPECT_LT(arena.StoredBytes(), raw / 2);
    for (std::size_t i : {std::size_t{99999}, std::size_t{0}, std::size_t{54321}, std::size_t{1}, std::size_t{99998}})
        EXPECT_EQ(arena[i], expected[i]) << "entry " << i;
    EXPECT_EQ(arena.ToVector(), expected);
}
