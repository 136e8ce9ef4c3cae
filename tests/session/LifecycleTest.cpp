#include "SessionFakes.h"
#include "session/Session.h"
#include "session/SessionRegistry.h"
#include "support/Loopback.h"
#include "support/ScriptedProxy.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>


using namespace pell;
using namespace pell::session;
using namespace pell::session::testing;
using Lines = std::vector<std::string>;

namespace {

// Sessions on a hand-pumped GUI thread, reporting to the fixture's recording ports.
struct Lifecycle : SessionFixture {
    platform::EventQueue gui;
    std::vector<std::unique_ptr<Session>> sessions; // last: they go before the ports

    static settings::TSSettings profile(int port, const std::string& nick = "alice")
    {
        settings::TSSettings p;
        p.Name = "Test net";
        p.Host = "127.0.0.1";
        p.Port = port;
        p.Nick = nick;
        p.RealName = "Alice A";
        p.Username = "al";
        return p;
    }
    Session& open(const settings::TSSettings& pending, const PresentationBinder& binder = {})
    {
        SessionContext context{gui, settings, shared, SessionPorts{view, desktop, prompts, saveDialog}};
        return *sessions.emplace_back(std::make_unique<Session>(context, pending, binder));
    }
    // The status panel after a tick of the status timer.
    static std::string status(Session& s, int panel = 0)
    {
        s.Lifecycle().onStatusTick();
        return s.Model().StatusPanel(panel);
    }
    bool until(const std::function<bool()>& condition) { return gui.pumpUntil(condition); }
    bool connectEnded(Session& s) { return until([&] { return !s.Engine().ConnectPending(); }); }
};

// The engine takes the profile, the fixed client values and the proxy route (table:
// tests/data/session/proxy-route.txt). Reconnect then keeps the route without reading it again.
TEST(LifecycleCreation, TheEngineTakesTheProfileAndTheProxySettingsChooseTheRoute)
{
    for (const auto& c : test::readCases("session/proxy-route.txt")) {
        SCOPED_TRACE(c.name);
        const bool auth = c.has("auth"), bad = c.has("error");
        const int socksPort = std::stoi(c.one("socks-port"));
        Lifecycle f;
        f.settings.ProxyHost = c.one("host");
        f.settings.ProxyPort = c.one("port");
        f.settings.ProxyType = std::stoi(c.one("type"));
        f.settings.ProxyNeedsAuth = auth;
        f.settings.Language = auth;
        settings::TSSettings p = Lifecycle::profile(test::freePort(), "bob");
        p.Password = "sesame";
        p.Invisible = p.Wallops = auth; // each user mode flag both set and not
        p.Operator = p.ServerNotice = !auth;
        Session& s = f.open(p);
        irc::TIdIRC& e = s.Engine();
        const direct::TIdSocksInfo& socks = e.SocksInfo();
        // The steps before a failing one stand.
        EXPECT_EQ(std::to_string(socks.Version) + "|" + std::to_string(socks.Authentication) + "|" + socks.Host,
                  c.one("version") + "|" + c.one("login") + "|" + c.one("host"));
        EXPECT_EQ(socks.Port, socksPort);
        EXPECT_EQ(e.UserMode(), auth ? irc::umInvisible | irc::umWallops : irc::umOperator | irc::umServerNotices);
        EXPECT_EQ(s.Model().ServerName() + "|" + s.Model().Caption() + "|" + s.Model().CurrentChannel(), "Test net|Test net|Main");
        EXPECT_EQ(e.Nick() + "|" + e.Username + "|" + e.RealName + "|" + e.Password + "|" + e.Host + "|" + e.AltNick + "|"
                      + e.Replies.Version + "|" + e.Replies.ClientInfo + "|" + std::to_string(e.Port),
                  "bob|al|Alice A|sesame|127.0.0.1|OtherNick|Tarn-IRC|Tarn-IRC|" + std::to_string(p.Port));
        EXPECT_EQ(s.Lifecycle().GermanCaptions(), auth);
        EXPECT_TRUE(s.Lifecycle().StatusTimerRunning() && !s.Lifecycle().CloseTimerRunning());
        EXPECT_EQ(f.prompts.errors, c.lines("error"));
        EXPECT_EQ(e.ConnectPending(), !bad);
        f.settings.ProxyPort = "1";
        s.Lifecycle().Reconnect();
        EXPECT_TRUE(e.ConnectPending());
        EXPECT_EQ(socks.Port, socksPort);
        EXPECT_EQ(f.prompts.errors.size(), bad ? 1u : 0u);
    }
}

TEST(LifecycleCreation, TheBinderRunsFirstAndItsHandlersStillRun)
{
    Lifecycle f;
    Lines calls;
    Session& s = f.open(Lifecycle::profile(test::freePort()), [&](irc::TIdIRC& engine, SessionModel& model) {
        EXPECT_EQ(engine.Host, ""); // not configured yet
        calls.push_back("bound " + model.CurrentChannel());
        engine.OnNicksInUse = [&](std::string& nick) { calls.push_back("line for " + nick); };
    });
    f.prompts.textAnswers.push_back("carol");
    std::string nick = "OtherNick";
    s.Engine().OnNicksInUse(nick);
    EXPECT_EQ(calls, (Lines{"bound Main", "line for OtherNick"}));
    EXPECT_EQ(f.prompts.asked, Lines{"New Nick|New Nick|"});
    EXPECT_EQ(nick, "carol");
}

// A session on a scripted server that has taken the registration lines.
struct OnFake : Lifecycle, ::testing::Test {
    test::FakeServer server;
    Session* s = nullptr;

    void SetUp() override
    {
        s = &open(profile(server.port()));
        ASSERT_TRUE(connectEnded(*s));
        ASSERT_TRUE(server.waitForReceived("USER al "));
    }
    void serverSays(const std::string& line, irc::TIdIRCState state)
    {
        server.send(line + "\r\n");
        ASSERT_TRUE(until([&] { return s->Engine().State() == state; }));
    }
    void serverCloses()
    {
        server.closeClient();
        ASSERT_TRUE(until([&] { return !s->Engine().Connected(); }));
    }
};

TEST_F(OnFake, StatusFollowsTheConnectionAndCloseAsksOnceQuitsAgainOnTheTimerUntilTheServerHasGone)
{
    EXPECT_EQ(s->Model().StatusPanel(0) + "|" + s->Model().StatusPanel(1), "Connected|alice"); // before registering
    EXPECT_EQ(status(*s), "Connecting");
    EXPECT_EQ(status(*s, 2), "Main");
    serverSays(":srv 001 alice :Welcome", irc::csConnected);
    EXPECT_EQ(status(*s), "Connected");
    s->Lifecycle().Reconnect(); // while connected: quits with an empty reason
    ASSERT_TRUE(server.waitForReceived("QUIT :\r\n"));
    int requests = 0;
    bool closed = false;
    s->Lifecycle().RequestClose = [&] { ++requests, closed = s->Lifecycle().CloseRequest(); };
    prompts.textAnswers.push_back(""); // an empty reason
    EXPECT_FALSE(s->Lifecycle().CloseRequest());
    EXPECT_EQ(shared.QuitReason, " ");
    ASSERT_TRUE(server.waitForReceived("QUIT :\r\nQUIT : \r\n"));
    EXPECT_TRUE(s->Lifecycle().CloseTimerRunning());
    s->Lifecycle().onCloseTimer(); // the server keeps the connection
    EXPECT_TRUE(requests == 1 && !closed);
    EXPECT_TRUE(server.waitForReceived("QUIT : \r\nQUIT : \r\n"));
    serverCloses();
    EXPECT_EQ(status(*s), "Disonnected");
    s->Lifecycle().onCloseTimer();
    EXPECT_TRUE(closed && !s->Lifecycle().CloseTimerRunning());
    EXPECT_TRUE(s->Lifecycle().CloseRequest()); // not connected: at once, and the reason is not asked again
    EXPECT_EQ(prompts.asked, Lines{"Reason|Reason:|"});
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(OnFake, BothNicksTakenAskForANewNickAndCancellingEndsTheConnection)
{
    server.send(":srv 433 * alice :Nickname already in use\r\n");
    ASSERT_TRUE(until([&] { return server.received().find("NICK OtherNick\r\n") != std::string::npos; }));
    serverSays(":srv 433 * OtherNick :Nickname already in use", irc::csDisconnected);
    EXPECT_EQ(prompts.asked, Lines{"New Nick|New Nick|"});
    EXPECT_EQ(status(*s), "Disonnected");
}

// The registry asks every session (a connected one refuses and quits, a connecting one
// closes at once) and a session it removes has its timers stopped.
TEST(LifecycleClose, TheRegistryAsksEverySessionAndStopsTheOneItRemoves)
{
    Lifecycle f;
    test::FakeServer server;
    SessionRegistry registry;
    int timerChanges = 0;
    for (int port : {server.port(), test::freePort()}) {
        Session& s = registry.Add(std::make_unique<Session>(
            SessionContext{f.gui, f.settings, f.shared, SessionPorts{f.view, f.desktop, f.prompts, f.saveDialog}},
            Lifecycle::profile(port)));
        s.Lifecycle().TimersChanged = [&] { ++timerChanges; };
    }
    ASSERT_TRUE(f.until([&] { return registry.At(0).Engine().Connected(); }));
    EXPECT_FALSE(registry.CloseRequestAll());
    EXPECT_TRUE(server.waitForReceived("QUIT : \r\n"));
    EXPECT_EQ(timerChanges, 1); // the close timer of the first
    registry.Remove(nullptr);   // not in the list
    registry.Remove(&registry.At(1));
    EXPECT_EQ(std::to_string(registry.Count()) + "|" + std::to_string(timerChanges), "1|2");
}

// The connect waits on a proxy that accepts but never answers, or in the TCP handshake:
// the GUI thread goes on with its queue, its timer ticks and the buttons, and a close
// abandons the connect at once and silently.
TEST(LifecycleWaiting, TheGuiThreadRunsOnDuringAConnectAndACloseAbandonsIt)
{
    for (const bool viaProxy : {true, false}) {
        SCOPED_TRACE(viaProxy);
        Lifecycle f;
        test::ScriptedProxy proxy({}, test::ScriptedProxy::End::Hold);
        test::StalledListener stalled;
        if (viaProxy)
            f.settings.ProxyHost = "127.0.0.1", f.settings.ProxyPort = std::to_string(proxy.port()), f.settings.ProxyType = 3;
        Session& s = f.open(Lifecycle::profile(viaProxy ? 6667 : stalled.port()));
        bool ran = false;
        f.gui.post([&] { ran = true; });
        ASSERT_TRUE(f.until([&] { return ran && (!viaProxy || proxy.accepted()); }));
        EXPECT_EQ(Lifecycle::status(s), "Connecting");
        s.Lifecycle().Reconnect(); // ignored: one connect at a time
        EXPECT_TRUE(s.Engine().ConnectPending());
        EXPECT_TRUE(s.Lifecycle().CloseRequest());
        EXPECT_TRUE(!s.Engine().ConnectPending() && s.Engine().State() == irc::csDisconnected);
        f.gui.pump();
        EXPECT_TRUE(f.prompts.errors.empty());
        f.sessions.clear(); // the window goes
    }
}

// After a failed connect the engine stays in its connecting state; the status must not.
TEST(LifecycleWaiting, AFailedConnectIsShownAndReadsDisconnected)
{
    Lifecycle f;
    Session& s = f.open(Lifecycle::profile(test::freePort()));
    ASSERT_TRUE(f.connectEnded(s));
    EXPECT_EQ(f.prompts.errors, Lines{"Socket-Fehler # 111\r\nConnection refused"});
    EXPECT_EQ(s.Engine().State(), irc::csConnecting);
    EXPECT_EQ(Lifecycle::status(s), "Disonnected");
}

} // namespace
