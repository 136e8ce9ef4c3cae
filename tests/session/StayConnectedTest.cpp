// Staying connected on a scripted server: the waits between tries, the channels joined
// again, the user's QUIT, a ban, too many tries and the ping time-out.

#include "SessionFakes.h"
#include "support/Ngircd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace pell::session::testing {
namespace {

struct StayConnected : ::testing::Test, WiredSession {
    std::int64_t clock = 0;
    AutoReconnect& reconnects = session->Lifecycle().Reconnects();

    StayConnected()
    {
        settings.AutoReconnect = true;
        reconnects.Now = [this] { return clock; };
        reconnects.Jitter = [] { return 0.0; };
    }
    void registered()
    {
        connect();
        serverSends({":srv 001 me :Welcome"});
        tick(0);
        newLines();
    }
    void tick(std::int64_t ms)
    {
        clock += ms;
        session->Lifecycle().onStatusTick();
    }
    void failTry() { server->Finish(std::make_exception_ptr(std::runtime_error("refused"))); }
    // Registered, the server goes and the first try fails; the last line shown.
    std::string firstTryFailed()
    {
        registered();
        server->Hangup();
        tick(0);
        tick(5000);
        failTry();
        const Lines shown = newLines();
        return shown.empty() ? "" : shown.back();
    }
};

TEST_F(StayConnected, EachTryWaitsLongerAndTheChannelsAreJoinedAgainWithTheirKeys)
{
    registered();
    irc.Join("#a");
    irc.Join("#b", "secret");
    serverSends({":me!m@h JOIN :#a", ":me!m@h JOIN :#b"});
    server->Hangup();
    tick(1000);
    EXPECT_EQ(newLines(), (Lines{"Main|<System>:Connection closed|system",
                                 "Main|<System>:Not connected. Reconnecting in 5 s (try 1).|system"}));
    tick(4999);
    EXPECT_FALSE(irc.ConnectPending());
    tick(1);
    EXPECT_TRUE(irc.ConnectPending());
    failTry();
    EXPECT_EQ(newLines(), (Lines{"Main|<System>:Reconnecting (try 1) ...|system",
                                 "Main|<System>:Reconnecting failed: refused|system",
                                 "Main|<System>:Not connected. Reconnecting in 10 s (try 2).|system"}));
    tick(9999);
    session->Lifecycle().Reconnect(); // the button during a wait connects at once
    EXPECT_TRUE(irc.ConnectPending());
    EXPECT_FALSE(reconnects.Waiting());
    sent();
    connect();
    serverSends({":srv 001 me :Welcome"});
    EXPECT_EQ(sent(), (Lines{"JOIN #a", "JOIN #b secret"}));
    EXPECT_TRUE(prompts.errors.empty());
}

// 5 s doubling to at most 5 minutes; the jitter moves a later wait by a tenth at most.
TEST_F(StayConnected, TheWaitsGrowToFiveMinutesWithALittleJitter)
{
    const std::vector<std::int64_t> waits{5000, 10000, 20000, 40000, 80000, 160000, 300000, 300000};
    for (int tries = 0; tries < static_cast<int>(waits.size()); ++tries)
        EXPECT_EQ(reconnects.WaitBefore(tries), waits[static_cast<std::size_t>(tries)]) << tries;
    reconnects.Jitter = [] { return 1.0; };
    EXPECT_EQ(firstTryFailed(), "Main|<System>:Not connected. Reconnecting in 11 s (try 2).|system");
}

TEST_F(StayConnected, TheUsersQuitABanOrTooManyTriesStopIt)
{
    registered();
    session->Lifecycle().Reconnect(); // connected: it quits
    server->Hangup();
    tick(60000);
    EXPECT_EQ(newLines(), Lines{"Main|<System>:Connection closed|system"});
    session->Lifecycle().Reconnect();
    registered();
    serverSends({"ERROR :Closing Link: me (K-Lined: go away)"});
    server->Hangup();
    tick(60000);
    const Lines refused = newLines();
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused.front(),
              "Main|<System>:The server turned us away (Closing Link: me (K-Lined: go away)): no automatic "
              "reconnects. Press Reconnect to try again.|system");
    EXPECT_FALSE(irc.ConnectPending());
    reconnects.Times.MostTries = 1;
    session->Lifecycle().Reconnect(); // tries start over
    EXPECT_EQ(firstTryFailed(),
              "Main|<System>:No more automatic reconnects after 1 failed tries. Press Reconnect to try again.|system");
}

// Silence for 4 minutes brings a PING; its answer is not shown; silence for 60 s more
// ends the connection, also with reconnecting off.
TEST_F(StayConnected, ASilentServerIsPingedAndDroppedWhenItStaysSilent)
{
    settings.AutoReconnect = false;
    registered();
    tick(239999);
    EXPECT_EQ(sent(), Lines{});
    tick(1);
    EXPECT_EQ(sent(), Lines{"PING :pell-keepalive"});
    serverSends({":srv PONG srv :pell-keepalive"});
    tick(239999);
    EXPECT_EQ(newLines(), Lines{});
    tick(1);
    tick(60000);
    EXPECT_FALSE(irc.Connected());
    EXPECT_EQ(newLines(), (Lines{"Main|<System>:The server has sent nothing for 300 s, not even an answer to a "
                                 "PING: the connection counts as lost.|system"}));
}

// A real ngircd killed under a joined session and started again on the same port. The
// channel's name climbs folders: its log stays in the log folder.
TEST(StayConnectedOnNgircd, AKilledServerIsReconnectedWithItsChannelsButTheUsersQuitStaysQuit)
{
    auto server = std::make_unique<test::Ngircd>();
    const int port = server->port();
    RecordingPorts ports;
    ports.settings.AutoReconnect = true;
    ports.settings.WriteLogs = true;
    const test::TempFolder logs;
    test::EventQueue gui;
    UserInfoModel userInfo;
    Session session(SessionContext{gui, ports.settings, ports.shared, ports.ports(), userInfo},
                    settings::ServerProfile{{.Nick = "amy", .RealName = "amy", .Username = "amy"}, "net", "127.0.0.1", port});
    irc::Client& engine = session.Engine();
    session.Lifecycle().Reconnects().Times.FirstWaitMs = 100;
    session.Model().LogFolder = logs.folder();
    const auto until = [&](const std::function<bool()>& condition, int ms = 15000) {
        for (int waited = 0; waited < ms && !condition(); waited += 5) {
            gui.pump();
            session.Lifecycle().onStatusTick();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return condition();
    };
    const auto inRoom = [&] { return engine.State() == irc::ClientState::Connected && engine.Channels.Count() == 1; };
    ASSERT_TRUE(until([&] { return engine.State() == irc::ClientState::Connected; })) << server->log();
    engine.Join("#../../X");
    ASSERT_TRUE(until(inRoom));
    server.reset();
    ASSERT_TRUE(until([&] { return !engine.Connected(); }));
    server = std::make_unique<test::Ngircd>(test::Ngircd::Options{.port = port});
    const auto rejoined = [&] { return engine.Connected() && inRoom(); }; // both at once, so one wait
    until(rejoined);
    EXPECT_TRUE(engine.Connected()) << server->log();
    EXPECT_TRUE(inRoom()) << server->log();
    session.Lifecycle().Reconnect(); // connected: the user quits
    EXPECT_TRUE(until([&] { return !engine.Connected(); }));
    // Ten times the first wait passes without a try.
    EXPECT_FALSE(until([&] { return engine.ConnectPending() || engine.Connected(); }, 1000));
    session.Model().Logs()->Flush();
    std::ifstream log(logs / "net" / "#.._.._x.log");
    const std::string logged(std::istreambuf_iterator<char>(log), {});
    // The channel mode reply of each join: before the kill and after the rejoin.
    EXPECT_NE(logged.find("<System>:Channelmode: +"), logged.rfind("<System>:Channelmode: +")) << logged;
}

} // namespace
} // namespace pell::session::testing
