#include "EngineHarness.h"

#include "irc/TIdIRCChannels.h"
#include "irc/TIdIRCUsers.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::EngineHarness;

// Members as "nick:flags" in list order.
std::vector<std::string> members(const TIdIRCChannel* channel)
{
    std::vector<std::string> out;
    for (int i = 0; i < channel->Names.Count(); ++i)
        out.push_back(channel->Names.Strings(i) + ":" + std::to_string(channel->Names.Flags(i)));
    return out;
}

// An engine in #c (and #d) with the members alice (op), bob (voice) and carol.
struct InChannel : EngineHarness {
    InChannel()
    {
        line(":me!me@h JOIN :#c");
        line(":srv 353 me = #c :@me @alice +bob carol");
        line(":srv 366 me #c :End of NAMES list");
        clear();
    }
    TIdIRCChannel* c() { return irc.Channels.Get("#c"); }
};

struct NamesCase {
    const char* entries;
    std::vector<std::string> expected;
};

class NamesReply : public ::testing::TestWithParam<NamesCase> {};

TEST_P(NamesReply, PrefixesBecomeFlags)
{
    EngineHarness h;
    h.line(":me!me@h JOIN #c");
    h.line(std::string(":srv 353 me = #c :") + GetParam().entries);
    EXPECT_EQ(members(h.irc.Channels.Get("#c")), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Prefixes, NamesReply,
    ::testing::Values(
        NamesCase{"@alice +bob carol", {"alice:1", "bob:2", "carol:0"}},
        NamesCase{"@dave+", {"dave:3"}},                  // "+" at the end: op and voice
        NamesCase{"@+erin", {"+erin:1"}},                 // "+" after "@" is part of the nick
        NamesCase{"+", {}},                               // nothing left of the entry
        NamesCase{"alice  bob", {"alice:0", "bob:0"}},    // double blank names nobody
        NamesCase{"Alice alice ALICE", {"Alice:0"}}));    // one member whatever the case

TEST(Tracking, SecondNamesReplyNeitherDuplicatesNorChangesFlags)
{
    InChannel h;
    h.line(":srv 353 me = #c :alice @bob +carol dave");
    EXPECT_EQ(members(h.c()), (std::vector<std::string>{"me:1", "alice:1", "bob:2", "carol:0", "dave:0"}));
}

TEST(Tracking, NamesReplyHoldsEveryMemberUntilTheNextConnect)
{
    InChannel h;
    for (const char* nick : {"me", "alice", "bob", "carol"})
        EXPECT_NE(h.irc.Users.Get(nick), nullptr) << nick;
    EXPECT_EQ(h.irc.Users.Get("alice")->Count, 1);
    EXPECT_EQ(h.irc.Users.Get("me")->Count, 2); // OwnUser and the membership
    // Parting does not release the membership reference.
    h.line(":alice!a@h PART #c");
    EXPECT_NE(h.irc.Users.Get("alice"), nullptr);
}

TEST(Tracking, AConnectLeavesOnlyTheOwnUser)
{
    InChannel h;
    h.irc.Connect(3000);
    EXPECT_EQ(h.irc.Channels.Count(), 0);
    ASSERT_EQ(h.irc.Users.Count(), 1);
    EXPECT_EQ(h.irc.Users.Items(0), h.irc.OwnUser());
    EXPECT_EQ(h.irc.OwnUser()->Nick(), "me");
}

TEST(Tracking, JoinerAfterNamesStaysInNamesButLeavesUsers)
{
    InChannel h;
    h.recordChannelUpdates();
    h.line(":me!me@h JOIN #d"); // a channel made after the handler was bound
    h.clear();
    h.line(":dave!d@h JOIN #d");
    EXPECT_EQ(h.events, (std::vector<std::string>{"Update #d cuJoin dave 0", "Join dave #d"}));
    EXPECT_EQ(h.irc.Users.Get("dave"), nullptr);
    EXPECT_EQ(members(h.irc.Channels.Get("#d")), (std::vector<std::string>{"dave:0"}));
    // #c was made before OnChannelUpdate was bound and keeps reporting nothing.
    h.clear();
    h.line(":eve!e@h JOIN #c");
    EXPECT_EQ(h.events, (std::vector<std::string>{"Join eve #c"}));
}

TEST(Tracking, ModeOpAndVoiceSetFlagsOfTrackedUsers)
{
    InChannel h;
    h.line(":alice!a@h MODE #c -o+ov alice bob carol");
    EXPECT_EQ(h.events, (std::vector<std::string>{"ChannelMode alice #c #c -o+ov alice bob carol",
                                                  "Deop alice #c alice", "Op alice #c bob", "Voice alice #c carol"}));
    EXPECT_EQ(members(h.c()), (std::vector<std::string>{"me:1", "alice:0", "bob:3", "carol:2"}));
    h.line(":alice!a@h MODE #c -v bob");
    EXPECT_EQ(members(h.c())[2], "bob:1");
}

TEST(Tracking, OpOfAJoinerWithoutRecordHasNoTargetAndChangesNothing)
{
    InChannel h;
    h.line(":dave!d@h JOIN #c");
    h.clear();
    h.line(":alice!a@h MODE #c +o dave");
    EXPECT_EQ(h.events, (std::vector<std::string>{"ChannelMode alice #c #c +o dave", "Op alice #c -"}));
    EXPECT_EQ(members(h.c()).back(), "dave:0");
}

struct ModeCase {
    const char* modes;
    std::uint8_t bits;
    int limit;
    const char* key;
};

class ChannelModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ChannelModes, LettersAndParameters)
{
    InChannel h;
    h.line(":alice!a@h MODE #c +k old");
    h.line(std::string(":alice!a@h MODE #c ") + GetParam().modes);
    EXPECT_EQ(h.c()->Mode, GetParam().bits) << GetParam().modes;
    EXPECT_EQ(h.c()->Limit, GetParam().limit);
    EXPECT_EQ(h.c()->Key, GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Table, ChannelModes,
    ::testing::Values(
        ModeCase{"-k+l key 10", cmUserLimit, 0, ""},  // "-k" takes no parameter
        ModeCase{"+l 25", cmKey | cmUserLimit, 25, "old"},
        ModeCase{"+l", cmKey | cmUserLimit, 0, "old"},  // no number at all
        ModeCase{"+l 12abc", cmKey | cmUserLimit, 0, "old"},
        ModeCase{"+k new", cmKey, 0, "new"},
        ModeCase{"+psitnm", 0xFF & ~(cmUserLimit), 0, "old"},
        ModeCase{"+nt-k+xyz", cmOpsSetTopic | cmNoExternalMessages, 0, ""},
        ModeCase{"+b-b+k a b new", cmKey, 0, "new"},   // bans take their parameters
        ModeCase{"+ooooooooooooooooooooooooooooooooool a 7", cmKey | cmUserLimit, 0, "old"}));

TEST(Tracking, ModeParsingReportsBansAndChannelUpdates)
{
    InChannel h;
    h.recordChannelUpdates();
    h.line(":me!me@h JOIN #d");
    h.line(":srv 353 me = #d :me alice");
    h.clear();
    h.line(":alice!a@h MODE #d +tb-b+ok *!*@x *!*@y alice k1");
    EXPECT_EQ(h.events, (std::vector<std::string>{
        "ChannelMode alice #d #d +tb-b+ok *!*@x *!*@y alice k1", "Ban alice #d *!*@x", "Unban alice #d *!*@y",
        "Op alice #d alice", "Update #d cuUser alice 1", "Update #d cuMode - 0", "Update #d cuMode - 0"}));
    EXPECT_EQ(h.irc.Channels.Get("#d")->Mode, cmOpsSetTopic | cmKey);
    EXPECT_TRUE(h.irc.Channels.Get("#d")->Bans.empty());
}

TEST(Tracking, NickChangeRenamesInEveryChannelKeepingFlags)
{
    InChannel h;
    h.line(":me!me@h JOIN #d");
    h.line(":srv 353 me = #d :carol @bob");
    h.line(":bob!b@h NICK :robert");
    EXPECT_EQ(members(h.c()), (std::vector<std::string>{"me:1", "alice:1", "robert:2", "carol:0"}));
    EXPECT_EQ(members(h.irc.Channels.Get("#d")), (std::vector<std::string>{"carol:0", "robert:1"}));
    EXPECT_EQ(h.irc.Users.Get("bob"), nullptr);
    ASSERT_NE(h.irc.Users.Get("ROBERT"), nullptr);
    EXPECT_EQ(h.irc.Users.Get("robert")->Nick(), "robert");
}

TEST(Tracking, QuitLeavesEveryChannelThatListedTheUser)
{
    InChannel h;
    h.recordChannelUpdates();
    h.line(":me!me@h JOIN #d");
    h.line(":me!me@h JOIN #e");
    h.line(":srv 353 me = #d :carol bob");
    h.line(":srv 353 me = #e :carol");
    h.clear();
    h.line(":bob!b@h QUIT :bye");
    EXPECT_EQ(h.events, (std::vector<std::string>{"Quit bob bye", "Update #d cuQuit bob 1"}));
    EXPECT_EQ(members(h.irc.Channels.Get("#d")), (std::vector<std::string>{"carol:0"}));
    EXPECT_EQ(members(h.c()).size(), 3u); // #c has no handler copy but still loses bob
    EXPECT_EQ(h.c()->Names.IndexOf("bob"), -1);
}

TEST(Tracking, UpdatesCarryIndexesAfterEarlierMembersLeft)
{
    InChannel h;
    h.recordChannelUpdates();
    h.line(":me!me@h JOIN #d");
    h.line(":srv 353 me = #d :a b c d e");
    h.clear();
    h.feed({":b!b@h PART #d", ":d!d@h NICK dd", ":x!x@h JOIN #d", ":a!a@h KICK #d e :out"});
    EXPECT_EQ(h.events, (std::vector<std::string>{
        "Update #d cuPart b 1", "Part b #d", "NickChange d dd", "Update #d cuNick d 2",
        "Update #d cuJoin x 4", "Join x #d", "Kick a e #d", "Update #d cuKick e 3"}));
    EXPECT_EQ(members(h.irc.Channels.Get("#d")), (std::vector<std::string>{"a:0", "c:0", "dd:0", "x:0"}));
}

TEST(Tracking, TopicStoresAndReportsEvenWhenUnchanged)
{
    InChannel h;
    h.recordChannelUpdates();
    h.line(":me!me@h JOIN #d");
    h.clear();
    h.feed({":alice!a@h TOPIC #d :one", ":alice!a@h TOPIC #d :one"});
    EXPECT_EQ(h.events, (std::vector<std::string>{"Update #d cuTopic - 0", "Topic alice #d #d one",
                                                  "Update #d cuTopic - 0", "Topic alice #d #d one"}));
    EXPECT_EQ(h.irc.Channels.Get("#D")->Topic, "one");
}

TEST(Tracking, ChannelsKeepCreationOrderAndFoldCase)
{
    TIdIRCUsers users;
    TIdIRCChannels channels(nullptr, &users);
    channels.Add("#b");
    channels.Add("#A");
    channels.Add("#c");
    TIdIRCChannel* second = channels.Add("#a"); // replaces "#A", goes to the end
    ASSERT_EQ(channels.Count(), 3);
    EXPECT_EQ(channels.Items(0)->Name, "#b");
    EXPECT_EQ(channels.Items(1)->Name, "#c");
    EXPECT_EQ(channels.Items(2), second);
    int index = -1;
    EXPECT_TRUE(channels.Find("#C", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(channels.Find("#zz", index));
    EXPECT_EQ(index, -1);
    // Only ASCII letters fold: "[" and "{" are different names here.
    channels.Add("#[x]");
    EXPECT_EQ(channels.Get("#{x}"), nullptr);
}

TEST(Tracking, UsersCountReferencesAndDestroyAtZero)
{
    TIdIRCUsers users;
    TIdIRCUser* bob = users.Add("bob", "b@h");
    EXPECT_EQ(users.Add("BOB", "")->Count, 2);
    EXPECT_EQ(bob->Address, "b@h"); // an empty address does not replace
    users.Add("Bob", "b@new");
    EXPECT_EQ(bob->Address, "b@new");
    TIdIRCUser* carol = users.Add("carol", "");
    users.Remove(bob);
    users.Remove(bob);
    EXPECT_EQ(users.Get("bob"), bob);
    users.Remove(bob);
    EXPECT_EQ(users.Get("bob"), nullptr);
    ASSERT_EQ(users.Count(), 1);
    EXPECT_EQ(users.Items(0), carol);
}

TEST(Tracking, NamesListFindsPositionsAfterDeletesAndRenames)
{
    TIdIRCNames names;
    for (const char* nick : {"a", "b", "c", "d"})
        names.Add(nick, 0);
    names.Delete(1);
    EXPECT_EQ(names.IndexOf("C"), 1);
    EXPECT_EQ(names.IndexOf("b"), -1);
    names.Rename(0, "z");
    EXPECT_EQ(names.IndexOf("z"), 0);
    EXPECT_EQ(names.IndexOf("a"), -1);
    // A stale entry under the new nick gives way.
    names.Rename(0, "D");
    EXPECT_EQ(names.Count(), 2);
    EXPECT_EQ(names.Strings(0), "D");
    EXPECT_EQ(names.IndexOf("c"), 1);
    EXPECT_EQ(names.IndexOf("d"), 0);
}

} // namespace
} // namespace pell::irc

TEST(UserIds, EachNewRecordTakesTheNextNumberNeverReused)
{
    pell::irc::TIdIRCUsers users;
    std::vector<int> ids;
    auto* a = users.Add("a", "");
    ids.push_back(a->ID());
    ids.push_back(users.Add("b", "")->ID());
    ids.push_back(users.Add("A", "x@y")->ID()); // one more reference to a, no new record
    users.Remove(a);
    users.Remove(a);
    ids.push_back(users.Add("a", "")->ID());
    users.Clear();
    ids.push_back(users.Add("d", "")->ID());
    EXPECT_EQ(ids, (std::vector<int>{0, 1, 0, 2, 3}));
}
