#include "EngineHarness.h"

#include "irc/Channels.h"
#include "irc/Users.h"

#include <gtest/gtest.h>

namespace pell::irc {
namespace {

TEST(Dispatch, Transcript)
{
    test::runTranscript("dispatch.transcript");
}

TEST(Tracking, Transcript)
{
    test::runTranscript("tracking.transcript");
}

TEST(Capabilities, Transcript)
{
    test::runTranscript("caps.transcript");
}

TEST(Tracking, ContainersKeepOrderFoldCaseAndCountReferences)
{
    Users users;
    Channels channels(&users);
    for (const char* name : {"#b", "#A", "#c"})
        channels.Add(name);
    Channel* second = channels.Add("#a"); // replaces "#A", goes to the end
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

    User* bob = users.Add("bob", "b@h");
    EXPECT_EQ(bob->ID(), 0);
    EXPECT_EQ(users.Add("BOB", "")->Count, 2);
    EXPECT_EQ(bob->Address, "b@h"); // an empty address does not replace
    users.Add("Bob", "b@new");
    EXPECT_EQ(bob->Address, "b@new");
    User* carol = users.Add("carol", "");
    users.Remove(bob);
    users.Remove(bob);
    EXPECT_EQ(users.Get("bob"), bob);
    users.Remove(bob);
    EXPECT_EQ(users.Get("bob"), nullptr);
    ASSERT_EQ(users.Count(), 1);
    EXPECT_EQ(users.Items(0), carol);
    EXPECT_TRUE(users.Find("CAROL", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(users.Find("bob", index));
    EXPECT_EQ(index, -1);
    // Each new record takes the next number, never reused.
    EXPECT_EQ(carol->ID(), 1);
    EXPECT_EQ(users.Add("d", "")->ID(), 2);
    users.Clear();
    EXPECT_EQ(users.Add("bob", "")->ID(), 3);

    ChannelMembers names;
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
    EXPECT_EQ(names.Nick(0), "D");
    EXPECT_EQ(names.IndexOf("c"), 1);
    EXPECT_EQ(names.IndexOf("d"), 0);
}

} // namespace
} // namespace pell::irc
