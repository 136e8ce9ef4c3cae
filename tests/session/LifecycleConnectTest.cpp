#include "session/LifecycleFixture.h"
#include "support/FakeServer.h"
#include "support/Loopback.h"
#include "support/Ngircd.h"
#include "session/SessionRegistry.h"
#include "support/ScriptedProxy.h"

#include <gtest/gtest.h>

using namespace pell;
using namespace pell::session;
using session::testing::LifecycleFixture;
using test::FakeServer;

namespace {

const std::string kWelcome = ":srv 001 alice :Welcome\r\n";

// A session on a scripted server that has taken the registration lines.
struct OnFake : LifecycleFixture, ::testing::Test {
    FakeServer server;
    Session* s = nullptr;

    void SetUp() override
    {
        s = &open(profile(server.port()));
        ASSERT_TRUE(connectEnded(*s));
        ASSERT_TRUE(server.waitForReceived("USER al "));
    }
    void serverSays(const std::string& line, irc::TIdIRCState until)
    {
        server.send(line);
        ASSERT_TRUE(gui.pumpUntil([&] { return s->Engine().State() == until; }));
    }
    void serverCloses()
    {
        server.closeClient();
        ASSERT_TRUE(gui.pumpUntil([&] { return !s->Engine().Connected(); }));
    }
};

TEST_F(OnFake, StatusFollowsRegistrationAndAServerSideClose)
{
    EXPECT_EQ(s->Model().StatusPanel(0), "Connected"); // OnConnected, before registering
    EXPECT_EQ(s->Model().StatusPanel(1), "alice");
    EXPECT_EQ(statusAfterTick(*s), "Connecting");
    EXPECT_EQ(statusAfterTick(*s, 2), "Main");
    serverSays(kWelcome, irc::csConnected);
    EXPECT_EQ(statusAfterTick(*s), "Connected");
    serverCloses();
    EXPECT_EQ(statusAfterTick(*s), "Disonnected");
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(OnFake, CloseWhileConnectedAsksOnceQuitsAndClosesWhenTheServerHasGone)
{
    serverSays(kWelcome, irc::csConnected);
    int requests = 0;
    bool closed = false;
    s->Lifecycle().RequestClose = [&] {
        ++requests;
        closed = s->Lifecycle().CloseRequest();
    };
    prompts.textAnswers.push_back(""); // an empty reason
    EXPECT_FALSE(s->Lifecycle().CloseRequest());
    EXPECT_EQ(prompts.asked, std::vector<std::string>{"Reason|Reason:|"});
    EXPECT_EQ(shared.QuitReason, " ");
    ASSERT_TRUE(server.waitForReceived("QUIT : \r\n"));
    EXPECT_TRUE(s->Lifecycle().CloseTimerRunning());

    // The server keeps the connection: the tick quits again with the same reason.
    s->Lifecycle().onCloseTimer();
    EXPECT_EQ(requests, 1);
    EXPECT_FALSE(closed);
    EXPECT_EQ(prompts.asked.size(), 1u);
    EXPECT_TRUE(server.waitForReceived("QUIT : \r\nQUIT : \r\n"));

    serverCloses();
    s->Lifecycle().onCloseTimer();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(s->Lifecycle().CloseTimerRunning());
}

TEST_F(OnFake, ReconnectWhileConnectedQuitsWithAnEmptyReason)
{
    serverSays(kWelcome, irc::csConnected);
    s->Lifecycle().Reconnect();
    ASSERT_TRUE(server.waitForReceived("QUIT :\r\n"));
}

TEST_F(OnFake, BothNicksTakenAskForANewNickAndCancellingEndsTheConnection)
{
    server.send(":srv 433 * alice :Nickname already in use\r\n");
    ASSERT_TRUE(gui.pumpUntil([&] { return server.received().find("NICK OtherNick\r\n") != std::string::npos; }));
    serverSays(":srv 433 * OtherNick :Nickname already in use\r\n", irc::csDisconnected);
    EXPECT_EQ(prompts.asked, std::vector<std::string>{"New Nick|New Nick|"});
    EXPECT_EQ(statusAfterTick(*s), "Disonnected");
}

TEST(LifecycleClose, ANotConnectedWindowClosesAtOnceWithoutAPrompt)
{
    LifecycleFixture f;
    Session& s = f.open(LifecycleFixture::profile(test::freePort()));
    ASSERT_TRUE(f.connectEnded(s));
    EXPECT_TRUE(s.Lifecycle().CloseRequest());
    EXPECT_TRUE(f.prompts.asked.empty());
    EXPECT_FALSE(s.Lifecycle().CloseTimerRunning());
}

TEST(LifecycleClose, TheMainWindowAsksEverySessionAndTheReasonIsAskedOnce)
{
    LifecycleFixture f;
    FakeServer one, two;
    SessionRegistry registry;
    for (int port : {one.port(), two.port(), test::freePort()}) {
        Session& s = registry.Add(std::make_unique<Session>(
            SessionContext{f.gui, f.settings, f.shared, SessionPorts{f.view, f.desktop, f.prompts, f.saveDialog}},
            LifecycleFixture::profile(port)));
        ASSERT_TRUE(f.connectEnded(s));
    }
    f.prompts.textAnswers.push_back("bye all");
    EXPECT_FALSE(registry.CloseRequestAll());
    EXPECT_EQ(f.prompts.asked.size(), 1u);
    EXPECT_TRUE(one.waitForReceived("QUIT :bye all\r\n"));
    EXPECT_TRUE(two.waitForReceived("QUIT :bye all\r\n"));
    EXPECT_TRUE(registry.At(0).Lifecycle().CloseTimerRunning());
    EXPECT_FALSE(registry.At(2).Lifecycle().CloseTimerRunning());

    // Once both servers have dropped the connections the next attempt succeeds.
    one.closeClient();
    two.closeClient();
    ASSERT_TRUE(f.gui.pumpUntil([&] {
        return !registry.At(0).Engine().Connected() && !registry.At(1).Engine().Connected();
    }));
    EXPECT_TRUE(registry.CloseRequestAll());
    registry.Remove(&registry.At(1));
    EXPECT_EQ(registry.Count(), 2);
}

TEST(LifecycleFailure, AFailedConnectIsShownAndReadsDisconnected)
{
    LifecycleFixture f;
    Session& s = f.open(LifecycleFixture::profile(test::freePort()));
    ASSERT_TRUE(f.connectEnded(s));
    EXPECT_EQ(f.prompts.errors, std::vector<std::string>{"Socket-Fehler # 111\r\nConnection refused"});
    EXPECT_EQ(s.Engine().State(), irc::csConnecting); // the engine leaves it so
    EXPECT_EQ(LifecycleFixture::statusAfterTick(s), "Disonnected");
}

TEST(LifecycleFailure, AnUnreadablePortStopsCreationAndReconnectGoesDirect)
{
    LifecycleFixture f;
    FakeServer server;
    f.settings.ProxyHost = "127.0.0.1";
    f.settings.ProxyPort = "abc";
    f.settings.ProxyType = 3;
    Session& s = f.open(LifecycleFixture::profile(server.port()));
    EXPECT_EQ(f.prompts.errors, std::vector<std::string>{"'abc' is not a valid integer value"});
    EXPECT_FALSE(s.Engine().ConnectPending());
    f.settings.ProxyPort = "1080"; // not read again
    s.Lifecycle().Reconnect();
    ASSERT_TRUE(f.connectEnded(s));
    EXPECT_TRUE(server.waitForReceived("NICK alice\r\nUSER al "));
    EXPECT_EQ(f.prompts.errors.size(), 1u);
}

// The connect waits on a proxy that accepts but never answers: the GUI thread goes on
// handling its queue, its timer ticks and the buttons, and the wait ends in an error.
TEST(LifecycleWaiting, TheGuiThreadRunsOnWhileAProxyDoesNotAnswer)
{
    LifecycleFixture f;
    f.connectTimeoutMs = 500;
    test::ScriptedProxy proxy({}, test::ScriptedProxy::End::Hold);
    f.settings.ProxyHost = "127.0.0.1";
    f.settings.ProxyPort = std::to_string(proxy.port());
    f.settings.ProxyType = 3;
    Session& s = f.open(LifecycleFixture::profile(6667));
    ASSERT_TRUE(s.Engine().ConnectPending());
    bool ran = false;
    f.gui.post([&] { ran = true; });
    ASSERT_TRUE(f.gui.pumpUntil([&] { return ran && proxy.accepted(); }));
    EXPECT_TRUE(s.Engine().ConnectPending());
    EXPECT_EQ(LifecycleFixture::statusAfterTick(s), "Connecting");
    s.Lifecycle().Reconnect(); // ignored: one connect at a time
    EXPECT_TRUE(f.prompts.errors.empty());
    ASSERT_TRUE(f.connectEnded(s));
    EXPECT_EQ(f.prompts.errors, std::vector<std::string>{"Socks-Server hat nicht geantwortet."});
    EXPECT_EQ(LifecycleFixture::statusAfterTick(s), "Disonnected");
}

TEST(LifecycleWaiting, ACloseDuringAConnectAbandonsItAtOnce)
{
    struct Case {
        const char* what;
        bool viaProxy; // else a connect that hangs in the TCP handshake
    };
    for (const Case c : {Case{"proxy silent", true}, Case{"no answer to the connect", false}}) {
        LifecycleFixture f;
        test::ScriptedProxy proxy({}, test::ScriptedProxy::End::Hold);
        test::StalledListener stalled;
        if (c.viaProxy) {
            f.settings.ProxyHost = "127.0.0.1";
            f.settings.ProxyPort = std::to_string(proxy.port());
            f.settings.ProxyType = 3;
        }
        Session& s = f.open(LifecycleFixture::profile(c.viaProxy ? 6667 : stalled.port()));
        if (c.viaProxy) {
            ASSERT_TRUE(f.gui.pumpUntil([&] { return proxy.accepted(); })) << c.what;
        }
        EXPECT_TRUE(s.Lifecycle().CloseRequest()) << c.what;
        EXPECT_FALSE(s.Engine().ConnectPending()) << c.what;
        EXPECT_EQ(s.Engine().State(), irc::csDisconnected) << c.what;
        f.gui.pump();
        EXPECT_TRUE(f.prompts.errors.empty()) << c.what; // the abandoned connect stays silent
        f.sessions.clear(); // the window goes
    }
}

} // namespace
