#include "settings/SessionLauncher.h"
#include "settings/ServerViews.h"

#include "settings/PasswordScrambler.h"
#include "settings/SettingsError.h"
#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

using namespace pell::settings;
using namespace pell::test;

namespace {

Lines entry(const std::string& name, const std::string& autoConnect = "False", const std::string& port = "6667",
            const std::string& nick = "nick")
{
    return {name, "host." + name, port, autoConnect, nick, "Real", "user", EncodePassword("secret"),
            "False", "False", "False", "False"};
}

ServerList listOf(std::initializer_list<Lines> entries)
{
    Lines lines;
    for (const auto& e : entries)
        lines.insert(lines.end(), e.begin(), e.end());
    return ServerList(lines);
}

struct Fixture {
    explicit Fixture(ServerList list) : servers(std::move(list)) {}
    ServerList servers;
    RecordingWindows windows;
    RecordingPrompts prompts;
    SessionLauncher launcher{servers, windows, prompts};

    std::vector<std::string> createdNames() const
    {
        std::vector<std::string> names;
        for (const auto& p : windows.created)
            names.push_back(p.Name);
        return names;
    }
};

// A factory that looks at PendingProfile while the window is being created.
class PeekingWindows : public SessionWindowFactory {
public:
    const SessionLauncher* launcher = nullptr;
    std::vector<bool> sawPendingProfile;
    void createSessionWindow(const TSSettings& pending) override
    {
        sawPendingProfile.push_back(&pending == &launcher->PendingProfile() && pending.Name == "x");
    }
};

TEST(SessionLauncher, StartSessionFillsPendingProfileBeforeTheWindowIsCreated)
{
    ServerList none;
    PeekingWindows windows;
    RecordingPrompts prompts;
    SessionLauncher launcher(none, windows, prompts);
    windows.launcher = &launcher;
    TSSettings profile;
    profile.Name = "x";
    launcher.StartSession(profile);
    EXPECT_EQ(windows.sawPendingProfile, std::vector<bool>{true});
    profile.Name = "changed";
    EXPECT_EQ(launcher.PendingProfile().Name, "x"); // a copy, kept until the next start
}

struct ClickCase {
    const char* caption;
    const char* opened; // name of the profile the new window gets; "" for the empty profile
};

TEST(SessionLauncher, ServerMenuClickRemovesAmpersandsAndLooksUpExactly)
{
    const ClickCase cases[] = {
        {"net", "net"},      {"&net", "net"},     {"n&e&t", "net"}, {"Net", ""},
        {"A&B", ""},         {"AB", ""},          {"none", ""},     {"&&", ""},
    };
    for (const auto& c : cases) {
        Fixture f(listOf({entry("net"), entry("A&B")}));
        f.launcher.ServerMenuClick(c.caption);
        ASSERT_EQ(f.windows.created.size(), 1u) << c.caption;
        EXPECT_EQ(f.windows.created[0].Name, c.opened) << c.caption;
        if (std::string(c.opened).empty())
            EXPECT_EQ(f.windows.created[0], TSSettings{}) << c.caption;
        else
            EXPECT_EQ(f.windows.created[0].Password, "secret");
        EXPECT_TRUE(f.prompts.errors.empty());
    }
}

TEST(SessionLauncher, ServerMenuClickWithBadPortShowsTheErrorAndOpensNothing)
{
    Fixture f(listOf({entry("net", "False", "abc")}));
    f.launcher.ServerMenuClick("net");
    EXPECT_TRUE(f.windows.created.empty());
    EXPECT_EQ(f.prompts.errors, std::vector<std::string>{"'abc' is not a valid integer value"});
}

struct AutoConnectCase {
    const char* what;
    std::vector<Lines> entries;
    std::vector<std::string> opened;
    bool error;
};

TEST(SessionLauncher, AutoConnectOpensMarkedEntriesInListOrder)
{
    const AutoConnectCase cases[] = {
        {"none marked", {entry("a"), entry("b")}, {}, false},
        {"some marked", {entry("a", "True"), entry("b"), entry("c", "True")}, {"a", "c"}, false},
        {"lower-case true is false", {entry("a", "true"), entry("b", "True")}, {"b"}, false},
        {"bad port stops the loop", {entry("a", "True"), entry("b", "True", "x"), entry("c", "True")}, {"a"}, true},
        {"bad port of an unmarked entry is not read", {entry("a", "False", "x"), entry("c", "True")}, {"c"}, false},
        {"no entries", {}, {}, false},
    };
    for (const auto& c : cases) {
        Lines lines;
        for (const auto& e : c.entries)
            lines.insert(lines.end(), e.begin(), e.end());
        Fixture f{ServerList(lines)};
        if (c.error)
            EXPECT_THROW(f.launcher.AutoConnect(), ConversionError) << c.what;
        else
            EXPECT_NO_THROW(f.launcher.AutoConnect()) << c.what;
        EXPECT_EQ(f.createdNames(), c.opened) << c.what;
    }
}

TEST(SessionLauncher, TwoAutoConnectEntriesNamedAlikeOpenTheFirstTwice)
{
    Fixture f(listOf({entry("dup", "True", "1"), entry("dup", "True", "2")}));
    f.launcher.AutoConnect();
    ASSERT_EQ(f.windows.created.size(), 2u);
    EXPECT_EQ(f.windows.created[0].Port, 1);
    EXPECT_EQ(f.windows.created[1].Port, 1);
}

TEST(SessionLauncher, AutoConnectWithoutServerListOpensNothing)
{
    TempFolder temp;
    ServerList servers;
    servers.load(SettingsFolder(temp.folder()));
    RecordingWindows windows;
    RecordingPrompts prompts;
    SessionLauncher(servers, windows, prompts).AutoConnect();
    EXPECT_TRUE(windows.created.empty());
}

TEST(ServerViews, RebuildMakesOneRowAndOneMenuItemPerEntry)
{
    ServerViews views;
    int redraws = 0;
    views.OnRebuilt = [&] { ++redraws; };
    ServerList list = listOf({entry("a", "False", "6667"), entry("A&B", "True", "abc")});
    Lines lines = list.lines();
    lines.push_back("incomplete");
    views.RebuildServerViews(ServerList(lines));
    EXPECT_EQ(views.rows(), (std::vector<ServerRow>{{"a", "host.a", "6667"}, {"A&B", "host.A&B", "abc"}}));
    EXPECT_EQ(views.menuCaptions(), (std::vector<std::string>{"a", "A&B"}));
    views.RebuildServerViews(ServerList());
    EXPECT_TRUE(views.rows().empty());
    EXPECT_TRUE(views.menuCaptions().empty());
    EXPECT_EQ(redraws, 2);
}

TEST(ServerViews, EveryMenuCaptionClickedOpensItsEntryExceptNamesWithAmpersand)
{
    Fixture f(listOf({entry("one"), entry("R&D"), entry("two")}));
    ServerViews views;
    views.RebuildServerViews(f.servers);
    for (const auto& caption : views.menuCaptions())
        f.launcher.ServerMenuClick(caption);
    EXPECT_EQ(f.createdNames(), (std::vector<std::string>{"one", "", "two"}));
}

} // namespace
