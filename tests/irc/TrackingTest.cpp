#include "EngineHarness.h"

#include "irc/TIdIRCChannels.h"
#include "irc/TIdIRCUsers.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

using test::EngineHarness;
using test::Events;

// Members as "nick:flags" in list order.
Events members(const TIdIRCChannel* channel)
{
    Events out;
    for (int i = 0; i < channel->Names.Count(); ++i)
        out.push_back(channel->Names.Strings(i) + ":" + std::to_string(channel->Names.Flags(i)));
    return out;
}

TEST(Tracking, NamesReplyPrefixesBecomeFlags)
{
    const std::pair<const char*, Events> rows[] = {
        {"@alice +bob carol", {"alice:1", "bob:2", "carol:0"}},
        {"@dave+", {"dave:3"}},               // "+" at the end: op and voice
        {"@+erin", {"+erin:1"}},              // "+" after "@" is part of the nick
        {"+", {}},                            // nothing left of the entry
        {"alice  bob", {"alice:0", "bob:0"}}, // double blank names nobody
        {"Alice alice ALICE", {"Alice:0"}},   // one member whatever the case
    };
    EngineHarness h;
    for (const auto& [entries, expected] : rows) {
        h.line(":me!me@h JOIN #c");
        h.line(std::string(":srv 353 me = #c :") + entries);
        EXPECT_EQ(members(h.irc.Channels.Get("#c")), expected) << entries;
    }
}

TEST(Tracking, NamesReplyHoldsEveryMemberUntilTheNextConnect)
{
    EngineHarness h(true);
    h.recordChannelUpdates();
    h.line(":me!me@h JOIN #d"); // a channel made after the handler was bound
    EXPECT_EQ(h.feed({":srv 353 me = #d :@alice bob"}), (Events{"System  353 NAMES #d :@alice bob", "Update #d cuNames - 0"}));
    // A second reply neither duplicates nor changes flags.
    h.line(":srv 353 me = #c :alice @bob +carol dave");
    EXPECT_EQ(members(h.irc.Channels.Get("#c")), (Events{"me:1", "alice:1", "bob:2", "carol:0", "dave:0"}));
    EXPECT_EQ(h.irc.Users.Get("carol")->Count, 1);
    EXPECT_EQ(h.irc.Users.Get("alice")->Count, 2);
    EXPECT_EQ(h.irc.Users.Get("me")->Count, 2); // OwnUser and the membership
    h.line(":carol!a@h PART #c"); // parting does not release the membership reference
    EXPECT_NE(h.irc.Users.Get("carol"), nullptr);

    // A joiner after the names reply is listed but has no record.
    h.clear();
    h.line(":eve!e@h JOIN #d");
    EXPECT_EQ(h.events, (Events{"Update #d cuJoin eve 2", "Join eve #d"}));
    EXPECT_EQ(h.irc.Users.Get("eve"), nullptr);
    EXPECT_EQ(members(h.irc.Channels.Get("#d")).back(), "eve:0");
    // #c was made before OnChannelUpdate was bound and keeps reporting nothing.
    EXPECT_EQ(h.feed({":eve!e@h JOIN #c"}), Events{"Join eve #c"});
    // An op for eve has no target and changes nothing.
    EXPECT_EQ(h.feed({":alice!a@h MODE #c +o eve"}), (Events{"ChannelMode alice #c #c +o eve", "Op alice #c -"}));
    EXPECT_EQ(members(h.irc.Channels.Get("#c")).back(), "eve:0");

    h.irc.Connect(3000);
    EXPECT_EQ(h.irc.Channels.Count(), 0);
    ASSERT_EQ(h.irc.Users.Count(), 1);
    EXPECT_EQ(h.irc.Users.Items(0), h.irc.OwnUser());
    EXPECT_EQ(h.irc.OwnUser()->Nick(), "me");
}

TEST(Tracking, ChannelModesSetFlagsBitsLimitKeyAndBans)
{
    EngineHarness h(true);
    TIdIRCChannel* c = h.irc.Channels.Get("#c");
    h.line(":alice!a@h MODE #c -o+ov alice bob carol");
    EXPECT_EQ(h.events, (Events{"ChannelMode alice #c #c -o+ov alice bob carol", "Deop alice #c alice", "Op alice #c bob",
                                "Voice alice #c carol"}));
    EXPECT_EQ(members(c), (Events{"me:1", "alice:0", "bob:3", "carol:2"}));
    h.line(":alice!a@h MODE #c -v bob");
    EXPECT_EQ(members(c)[2], "bob:1");

    const std::tuple<const char*, int, int, const char*> rows[] = {
        {"-k+l key 10", cmUserLimit, 0, ""}, // "-k" takes no parameter
        {"+l 25", cmKey | cmUserLimit, 25, "old"},
        {"+l", cmKey | cmUserLimit, 0, "old"}, // no number at all
        {"+l 12abc", cmKey | cmUserLimit, 0, "old"},
        {"+k new", cmKey, 0, "new"},
        {"+psitnm", 0xFF & ~cmUserLimit, 0, "old"},
        {"+nt-k+xyz", cmOpsSetTopic | cmNoExternalMessages, 0, ""},
        {"+b-b+k a b new", cmKey, 0, "new"}, // bans take their parameters
        {"+ooooooooooooooooooooooooooooooooool a 7", cmKey | cmUserLimit, 0, "old"},
    };
    for (const auto& [modes, bits, limit, key] : rows) {
        h.feed({":alice!a@h MODE #c -psitnmlk x", ":alice!a@h MODE #c +k old", std::string(":alice!a@h MODE #c ") + modes});
        EXPECT_EQ(c->Mode, bits) << modes;
        EXPECT_EQ(c->Limit, limit) << modes;
        EXPECT_EQ(c->Key, key) << modes;
    }

    h.recordChannelUpdates();
    h.feed({":me!me@h JOIN #d", ":srv 353 me = #d :me alice"});
    EXPECT_EQ(h.feed({":alice!a@h MODE #d +tb-b+ok *!*@x *!*@y alice k1"}),
              (Events{"ChannelMode alice #d #d +tb-b+ok *!*@x *!*@y alice k1", "Ban alice #d *!*@x",
                      "Unban alice #d *!*@y", "Op alice #d alice", "Update #d cuUser alice 1", "Update #d cuMode - 0",
                      "Update #d cuMode - 0"}));
    EXPECT_EQ(h.irc.Channels.Get("#d")->Mode, cmOpsSetTopic | cmKey);
    EXPECT_TRUE(h.irc.Channels.Get("#d")->Bans.empty());
}

TEST(Tracking, NickQuitPartKickAndTopicUpdateEveryChannel)
{
    EngineHarness h(true);
    h.recordChannelUpdates();
    h.feed({":me!me@h JOIN #d", ":me!me@h JOIN #e", ":srv 353 me = #d :carol @bob a b2 c d e", ":srv 353 me = #e :carol"});
    h.line(":bob!b@h NICK :robert");
    EXPECT_EQ(members(h.irc.Channels.Get("#c")), (Events{"me:1", "alice:1", "robert:2", "carol:0"}));
    EXPECT_EQ(h.irc.Users.Get("bob"), nullptr);
    ASSERT_NE(h.irc.Users.Get("ROBERT"), nullptr);
    EXPECT_EQ(h.irc.Users.Get("robert")->Nick(), "robert");
    EXPECT_EQ(h.feed({":robert!b@h QUIT :bye"}), (Events{"Quit robert bye", "Update #d cuQuit robert 1"}));
    EXPECT_EQ(h.irc.Channels.Get("#c")->Names.IndexOf("robert"), -1); // no handler copy, still left
    // Updates carry the index after earlier members left.
    EXPECT_EQ(h.feed({":b2!b@h PART #d", ":d!d@h NICK dd", ":x!x@h JOIN #d", ":a!a@h KICK #d e :out"}),
              (Events{"Update #d cuPart b2 2", "Part b2 #d", "NickChange d dd", "Update #d cuNick d 3",
                      "Update #d cuJoin x 5", "Join x #d", "Kick a e #d", "Update #d cuKick e 4"}));
    EXPECT_EQ(members(h.irc.Channels.Get("#d")), (Events{"carol:0", "a:0", "c:0", "dd:0", "x:0"}));
    // A topic is stored and reported even when unchanged.
    EXPECT_EQ(h.feed({":alice!a@h TOPIC #d :one", ":alice!a@h TOPIC #d :one"}),
              (Events{"Update #d cuTopic - 0", "Topic alice #d #d one", "Update #d cuTopic - 0", "Topic alice #d #d one"}));
    EXPECT_EQ(h.irc.Channels.Get("#D")->Topic, "one");
}

TEST(Tracking, ContainersKeepOrderFoldCaseAndCountReferences)
{
    TIdIRCUsers users;
    TIdIRCChannels channels(nullptr, &users);
    for (const char* name : {"#b", "#A", "#c"})
        channels.Add(name);
    TIdIRCChannel* second = channels.Add("#a"); // replaces "#A", goes to the end
    ASSERT_EQ(channels.Count(), 3);
    EXPECT_EQ(channels.Items(0)->Name + channels.Items(1)->Name, "#b#c");
    EXPECT_EQ(channels.Items(2), second);
    int index = -1;
    EXPECT_TRUE(channels.Find("#C", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(channels.Find("#zz", index));
    EXPECT_EQ(index, -1);
    channels.Add("#[x]"); // only ASCII letters fold
    EXPECT_EQ(channels.Get("#{x}"), nullptr);

    TIdIRCUser* bob = users.Add("bob", "b@h");
    EXPECT_EQ(bob->ID(), 0);
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
    // Each new record takes the next number, never reused.
    EXPECT_EQ(carol->ID(), 1);
    EXPECT_EQ(users.Add("d", "")->ID(), 2);
    users.Clear();
    EXPECT_EQ(users.Add("bob", "")->ID(), 3);

    TIdIRCNames names;
    for (const char* nick : {"a", "b", "c", "d"})
        names.Add(nick, 0);
    names.Delete(1);
    EXPECT_EQ(names.IndexOf("C"), 1);
    EXPECT_EQ(names.IndexOf("b"), -1);
    names.Rename(0, "z");
    EXPECT_EQ(names.IndexOf("z"), 0);
    EXPECT_EQ(names.IndexOf("a"), -1);
    names.Rename(0, "D"); // a stale entry under the new nick gives way
    EXPECT_EQ(names.Count(), 2);
    EXPECT_EQ(names.Strings(0), "D");
    EXPECT_EQ(names.IndexOf("c"), 1);
    EXPECT_EQ(names.IndexOf("d"), 0);
}

} // namespace
} // namespace pell::irc
