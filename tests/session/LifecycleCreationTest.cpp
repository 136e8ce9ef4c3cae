#include "session/LifecycleFixture.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

using namespace pell;
using namespace pell::session;
using session::testing::LifecycleFixture;

namespace {

TEST(LifecycleCreation, TheEngineTakesTheProfileAndTheFixedClientValues)
{
    LifecycleFixture f;
    f.settings.Language = 1;
    settings::TSSettings p = LifecycleFixture::profile(test::freePort(), "bob");
    p.Password = "sesame";
    Session& s = f.open(p);
    irc::TIdIRC& e = s.Engine();
    EXPECT_EQ(s.Model().ServerName(), "Test net");
    EXPECT_EQ(s.Model().Caption(), "Test net");
    EXPECT_EQ(s.Model().CurrentChannel(), "Main");
    EXPECT_TRUE(s.Lifecycle().GermanCaptions());
    EXPECT_EQ(e.Nick(), "bob");
    EXPECT_EQ(e.Username, "al");
    EXPECT_EQ(e.RealName, "Alice A");
    EXPECT_EQ(e.Password, "sesame");
    EXPECT_EQ(e.Host, "127.0.0.1");
    EXPECT_EQ(e.Port, p.Port);
    EXPECT_EQ(e.AltNick, "OtherNick");
    EXPECT_EQ(e.Replies.Version, "Tarn-IRC");
    EXPECT_EQ(e.Replies.ClientInfo, "Tarn-IRC");
    EXPECT_TRUE(e.ConnectPending());
    EXPECT_TRUE(s.Lifecycle().StatusTimerRunning());
    EXPECT_FALSE(s.Lifecycle().CloseTimerRunning());
}

TEST(LifecycleCreation, UserModesAreExactlyTheProfilesFlags)
{
    struct Case {
        bool invisible, op, notices, wallops;
        irc::TIdIRCUserModes modes;
    };
    const Case cases[] = {
        {true, false, false, true, irc::umInvisible | irc::umWallops},
        {false, true, true, false, irc::umOperator | irc::umServerNotices},
        {false, false, false, false, 0},
        {true, true, true, true, irc::umInvisible | irc::umOperator | irc::umServerNotices | irc::umWallops},
    };
    for (const Case& c : cases) {
        LifecycleFixture f;
        settings::TSSettings p = LifecycleFixture::profile(test::freePort());
        p.Invisible = c.invisible;
        p.Operator = c.op;
        p.ServerNotice = c.notices;
        p.Wallops = c.wallops;
        EXPECT_EQ(f.open(p).Engine().UserMode(), c.modes) << int(c.modes);
    }
}

TEST(LifecycleCreation, ProxySettingsChooseTheRoute)
{
    struct Case {
        const char* what;
        std::string host, port;
        int type;
        bool auth;
        direct::TSocksVersion version;
        int socksPort;
        direct::TSocksAuthentication authentication;
        std::string error; // shown at creation; the connect never starts
    };
    const Case cases[] = {
        {"no host: direct whatever the type", "", "1080", 3, true, direct::svNoSocks, 1080, direct::saNoAuthentication, ""},
        {"type never chosen", "127.0.0.1", "1081", -1, false, direct::svNoSocks, 1081, direct::saNoAuthentication, ""},
        {"NoSocks", "127.0.0.1", "1082", 0, false, direct::svNoSocks, 1082, direct::saNoAuthentication, ""},
        {"Socks4", "127.0.0.1", "1083", 1, false, direct::svSocks4, 1083, direct::saNoAuthentication, ""},
        {"Socks4A", "127.0.0.1", "1084", 2, false, direct::svSocks4A, 1084, direct::saNoAuthentication, ""},
        {"Socks5 with login", "127.0.0.1", "1085", 3, true, direct::svSocks5, 1085, direct::saUsernamePassword, ""},
        {"port not a number", "127.0.0.1", "abc", 3, true, direct::svNoSocks, 1080, direct::saNoAuthentication,
         "'abc' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        LifecycleFixture f;
        f.settings.ProxyHost = c.host;
        f.settings.ProxyPort = c.port;
        f.settings.ProxyType = c.type;
        f.settings.ProxyNeedsAuth = c.auth;
        f.settings.ProxyUser = "u";
        f.settings.ProxyPassword = "p";
        Session& s = f.open(LifecycleFixture::profile(test::freePort()));
        const direct::TIdSocksInfo& socks = s.Engine().SocksInfo();
        EXPECT_EQ(socks.Version, c.version) << c.what;
        EXPECT_EQ(socks.Port, c.socksPort) << c.what;
        EXPECT_EQ(socks.Authentication, c.authentication) << c.what;
        if (c.error.empty()) {
            EXPECT_TRUE(f.prompts.errors.empty()) << c.what;
            EXPECT_TRUE(s.Engine().ConnectPending()) << c.what;
        } else {
            EXPECT_EQ(f.prompts.errors, std::vector<std::string>{c.error}) << c.what;
            EXPECT_FALSE(s.Engine().ConnectPending()) << c.what;
            EXPECT_EQ(s.Engine().State(), irc::csDisconnected) << c.what;
            // The steps before the failing one stand.
            EXPECT_EQ(socks.Host, c.host) << c.what;
            EXPECT_EQ(s.Model().ServerName(), "Test net") << c.what;
        }
    }
}

TEST(LifecycleCreation, TheBinderRunsFirstAndItsHandlersStillRun)
{
    LifecycleFixture f;
    std::vector<std::string> calls;
    Session& s = f.open(LifecycleFixture::profile(test::freePort()), [&](irc::TIdIRC& engine, SessionModel& model) {
        EXPECT_EQ(engine.Host, ""); // not configured yet
        calls.push_back("bound " + model.CurrentChannel());
        engine.OnNicksInUse = [&](std::string& nick) { calls.push_back("line for " + nick); };
    });
    f.prompts.textAnswers.push_back("carol");
    std::string nick = "OtherNick";
    s.Engine().OnNicksInUse(nick);
    EXPECT_EQ(calls, (std::vector<std::string>{"bound Main", "line for OtherNick"}));
    EXPECT_EQ(f.prompts.asked, std::vector<std::string>{"New Nick|New Nick|"});
    EXPECT_EQ(nick, "carol");
}

} // namespace
