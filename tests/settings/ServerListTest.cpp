#include "settings/ServerList.h"

#include "settings/PasswordScrambler.h"
#include "settings/SettingsError.h"
#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

using namespace pell::settings;
using namespace pell::test;

namespace {

Lines entry(const std::string& name, const std::string& port = "6667", const std::string& autoConnect = "False",
            const std::string& nick = "nick")
{
    return {name, "host." + name, port, autoConnect, nick, "Real " + name, "user", EncodePassword("pw-" + name),
            "True", "False", "True", "False"};
}

ServerList listOf(std::initializer_list<Lines> entries)
{
    Lines lines;
    for (const auto& e : entries)
        lines.insert(lines.end(), e.begin(), e.end());
    return ServerList(lines);
}

TEST(ServerList, EntryCountIgnoresAnIncompleteTail)
{
    const std::pair<std::size_t, std::size_t> cases[] = {{0, 0}, {11, 0}, {12, 1}, {23, 1}, {24, 2}, {25, 2}};
    for (const auto& [lineCount, entries] : cases)
        EXPECT_EQ(ServerList(Lines(lineCount, "x")).entryCount(), entries) << lineCount;
}

TEST(ServerList, FindFillsEveryFieldFromTheEntry)
{
    const ServerList list = listOf({entry("a"), entry("b", "7000", "True")});
    TSSettings profile;
    ASSERT_TRUE(list.FindProfileByName("b", profile));
    TSSettings expected{"b", "host.b", 7000, true, "nick", "Real b", "user", "pw-b", true, false, true, false};
    EXPECT_EQ(profile, expected);
}

TEST(ServerList, FindWithoutMatchLeavesTheProfileUntouched)
{
    const ServerList list = listOf({entry("net")});
    TSSettings profile{"keep", "h", 1, true};
    const TSSettings before = profile;
    const std::string misses[] = {"Net", "NET", "net ", "", "ne"};
    for (const auto& name : misses) {
        EXPECT_FALSE(list.FindProfileByName(name, profile)) << name;
        EXPECT_EQ(profile, before) << name;
    }
}

TEST(ServerList, FindYieldsTheFirstOfTwoEntriesNamedAlike)
{
    const ServerList list = listOf({entry("dup", "1"), entry("dup", "2")});
    TSSettings profile;
    ASSERT_TRUE(list.FindProfileByName("dup", profile));
    EXPECT_EQ(profile.Port, 1);
}

TEST(ServerList, FindDoesNotLookIntoAnIncompleteTail)
{
    Lines lines = entry("a");
    const Lines tail = entry("b");
    lines.insert(lines.end(), tail.begin(), tail.end() - 1);
    TSSettings profile;
    EXPECT_FALSE(ServerList(lines).FindProfileByName("b", profile));
}

TEST(ServerList, FlagsAreTrueOnlyForTheExactWordTrue)
{
    const std::pair<std::string, bool> cases[] = {{"True", true}, {"true", false}, {"TRUE", false}, {"", false}};
    for (const auto& [word, value] : cases) {
        Lines lines = entry("x");
        for (std::size_t i : {3u, 8u, 9u, 10u, 11u})
            lines[i] = word;
        TSSettings p;
        ServerList(lines).FindProfileByName("x", p);
        EXPECT_EQ(p.AutoConnect, value) << word;
        EXPECT_EQ(p.Invisible && p.Operator && p.ServerNotice && p.Wallops, value) << word;
        EXPECT_EQ(p.Invisible || p.Operator || p.ServerNotice || p.Wallops, value) << word;
    }
}

TEST(ServerList, NonNumericPortRaisesTheConversionErrorAfterNameAndHost)
{
    const std::string ports[] = {"abc", "", "66 67", "6667x", "99999999999"};
    for (const auto& port : ports) {
        const ServerList list = listOf({entry("a", port)});
        TSSettings profile;
        profile.Nick = "before";
        try {
            list.FindProfileByName("a", profile);
            ADD_FAILURE() << "no error for '" << port << "'";
        } catch (const ConversionError& error) {
            EXPECT_EQ(error.what(), "'" + port + "' is not a valid integer value");
        }
        EXPECT_EQ(profile.Name, "a");
        EXPECT_EQ(profile.Host, "host.a");
        EXPECT_EQ(profile.Nick, "before");
    }
}

TEST(ServerList, EntryLinesRemoveNickSpacesScramblePasswordAndUseCapitalFalse)
{
    TSSettings p{"Net", "irc.net", 6667, false, "two words", "R", "U", "abc"};
    EXPECT_EQ(ServerList::entryLines(p, "6667x"),
              (Lines{"Net", "irc.net", "6667x", "False", "twowords", "R", "U", "\xd2\xce\xd9", "False", "False",
                     "False", "False"}));
    p.Wallops = p.AutoConnect = true;
    const Lines lines = ServerList::entryLines(p);
    EXPECT_EQ(lines[2], "6667");
    EXPECT_EQ(lines[3], "True");
    EXPECT_EQ(lines[11], "True");
}

TEST(ServerList, StoreReplacesInPlaceOrAppends)
{
    ServerList list = listOf({entry("a"), entry("b"), entry("c")});
    list.storeEntry(entry("b", "1"));
    ASSERT_EQ(list.entryCount(), 3u);
    EXPECT_EQ(list.line(1, ServerList::NameLine), "b");
    EXPECT_EQ(list.line(1, ServerList::PortLine), "1");
    list.storeEntry(entry("d"));
    ASSERT_EQ(list.entryCount(), 4u);
    EXPECT_EQ(list.line(3, ServerList::NameLine), "d");
}

TEST(ServerList, DeleteRemovesEveryEntryOfTheNameAndKeepsOrder)
{
    ServerList list = listOf({entry("a"), entry("b"), entry("b"), entry("c")});
    list.deleteEntries("b");
    EXPECT_EQ(list.lines(), listOf({entry("a"), entry("c")}).lines());
    list.deleteEntries("none");
    EXPECT_EQ(list.entryCount(), 2u);
}

TEST(ServerList, SavedListMatchesTheGoldenFileAndLoadsBack)
{
    TempFolder temp;
    const SettingsFolder folder(temp.folder());
    ServerList list;
    list.storeEntry(ServerList::entryLines({"Libera", "irc.libera.chat", 6667, true, "pell", "Pell User", "pell", "",
                                            false, true, false, false}));
    list.storeEntry(ServerList::entryLines({"Net & Co", "127.0.0.1", 0, false, "a b", "", "u", "xyz", true, true,
                                            true, true},
                                           "6697"));
    list.save(folder);
    EXPECT_EQ(readBytes(folder.pathOf(SettingsFile::SList)), golden("sample/SList.dat"));
    EXPECT_EQ(modeOf(folder.pathOf(SettingsFile::SList)), 0600u);

    ServerList loaded;
    ASSERT_TRUE(loaded.load(folder));
    EXPECT_EQ(loaded.lines(), list.lines());
    TSSettings p;
    ASSERT_TRUE(loaded.FindProfileByName("Net & Co", p));
    EXPECT_EQ(p.Password, "xyz");
    EXPECT_EQ(p.Nick, "ab");
}

TEST(ServerList, MissingFileLeavesTheListEmpty)
{
    TempFolder temp;
    ServerList list;
    EXPECT_FALSE(list.load(SettingsFolder(temp.folder())));
    EXPECT_EQ(list.entryCount(), 0u);
}

} // namespace
