#include "settings/QuickConnectModel.h"

#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

using namespace pell::settings;
using namespace pell::test;

namespace {

struct Fixture {
    Fixture()
    {
        settings.Nick = "global";
        settings.RealName = "Global Name";
        settings.Wallops = true;
    }
    AppSettings settings;
    ServerList servers;
    RecordingWindows windows;
    RecordingPrompts prompts;
    SessionLauncher launcher{servers, windows, prompts};
    QuickConnectModel model{settings, launcher, prompts};
};

TEST(QuickConnectModel, OpeningRefreshesTheGlobalIdentityAndKeepsTheOtherFields)
{
    Fixture f;
    f.model.Open();
    EXPECT_EQ(f.model.Port, "6667");
    EXPECT_EQ(f.model.identity.values, (Identity{"global", "Global Name", "", "", false, false, false, true}));

    f.model.Name = "Net";
    f.model.Server = "irc.net";
    f.model.Port = "7000";
    f.model.UseStandardSettingsChanged(false);
    f.model.identity.values.Nick = "oneoff";
    f.model.Closed();
    ASSERT_EQ(f.windows.created.size(), 1u);
    EXPECT_EQ(f.windows.created[0].Nick, "oneoff");
    EXPECT_EQ(f.windows.created[0].Port, 7000);
    EXPECT_EQ(f.windows.created[0].Wallops, true);

    f.model.Open();
    EXPECT_TRUE(f.model.identity.useStandard);
    EXPECT_EQ(f.model.identity.values.Nick, "global");
    EXPECT_EQ(f.model.Server, "irc.net");
    EXPECT_EQ(f.model.Port, "7000");
}

TEST(QuickConnectModel, OnlyConnectRemovesTheSpacesFromTheNickname)
{
    Fixture f;
    f.model.Open();
    f.model.UseStandardSettingsChanged(false);
    f.model.identity.values.Nick = "two words";
    f.model.Closed(); // the window frame
    f.model.ConnectClick();
    EXPECT_EQ(f.model.identity.values.Nick, "twowords");
    f.model.Closed();
    ASSERT_EQ(f.windows.created.size(), 2u);
    EXPECT_EQ(f.windows.created[0].Nick, "two words");
    EXPECT_EQ(f.windows.created[1].Nick, "twowords");
}

TEST(QuickConnectModel, EmptyServerStillOpensASessionButABadPortOpensNone)
{
    Fixture f;
    f.model.Open();
    f.model.Closed();
    ASSERT_EQ(f.windows.created.size(), 1u);
    EXPECT_EQ(f.windows.created[0].Host, "");
    EXPECT_EQ(f.launcher.PendingProfile(), f.windows.created[0]);

    for (const char* port : {"", "66 67", "irc"}) {
        f.model.Port = port;
        f.model.Closed();
    }
    EXPECT_EQ(f.windows.created.size(), 1u);
    EXPECT_EQ(f.prompts.errors, (std::vector<std::string>{"'' is not a valid integer value",
                                                          "'66 67' is not a valid integer value",
                                                          "'irc' is not a valid integer value"}));
}

} // namespace
