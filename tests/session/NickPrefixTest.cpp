#include "session/NickPrefix.h"

#include <gtest/gtest.h>

using namespace pell::session;

TEST(NickPrefix, StripRemovesOneAtThenOnePlus)
{
    const struct {
        const char* entry;
        const char* nick;
    } cases[] = {
        {"@+bob", "bob"}, {"+bob", "bob"}, {"+@bob", "@bob"}, {"@@bob", "@bob"},
        {"bob", "bob"},   {"", ""},        {"@", ""},         {"@+", ""},
        {"++bob", "+bob"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripNickPrefix(c.entry), c.nick) << c.entry;
}

TEST(NickPrefix, PrefixOfLooksAtTheFirstCharacterOnly)
{
    const struct {
        const char* entry;
        const char* prefix;
    } cases[] = {
        {"@+bob", "@"}, {"+bob", "+"}, {"@bob", "@"}, {"+@bob", "+"}, {"bob", ""}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NickPrefixOf(c.entry), c.prefix) << c.entry;
}
