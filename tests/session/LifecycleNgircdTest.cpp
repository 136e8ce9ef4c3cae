#include "session/LifecycleFixture.h"
#include "support/Danted.h"
#include "support/Microsocks.h"
#include "support/Ngircd.h"
#include "support/Socks4aProxy.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace pell;
using namespace pell::session;
using session::testing::LifecycleFixture;

namespace {

// A second client on the server that sees what the session does in a channel.
struct Watcher {
    irc::TIdIRC engine;
    std::vector<std::string> lines;

    Watcher(platform::GuiDispatcher& gui, int port, const std::string& nick) : engine(gui)
    {
        engine.Host = "127.0.0.1";
        engine.Port = port;
        engine.SetNick(nick);
        engine.OnReceive = [this](const std::string& line) { lines.push_back(line); };
        engine.Connect(3000);
    }
    bool saw(const std::string& text) const
    {
        for (const auto& line : lines)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
};

bool registered(LifecycleFixture& f, Session& s)
{
    return f.gui.pumpUntil([&] { return s.Engine().State() == irc::csConnected; });
}

TEST(LifecycleOnNgircd, EveryRouteRegistersAndClosesWithItsQuitReason)
{
    test::Ngircd server;
    test::Microsocks socks5;
    test::Microsocks socks5Login("bob", "secret");
    test::Danted dante;
    test::Socks4aProxy socks4a;
    struct Route {
        const char* what;
        int proxyPort; // 0: direct
        int type;
        bool login;
    };
    const Route routes[] = {
        {"direct", 0, 0, false},
        {"microsocks 5", socks5.port(), 3, false},
        {"microsocks 5 with login", socks5Login.port(), 3, true},
        {"danted 4", dante.port(), 1, false},
        {"danted 5", dante.port(), 3, false},
        {"small proxy 4A", socks4a.port(), 2, false},
    };
    LifecycleFixture f;
    Watcher watcher(f.gui, server.port(), "watcher");
    watcher.engine.Join("#pell");
    f.prompts.textAnswers.push_back("gone fishing");
    int n = 0;
    for (const Route& r : routes) {
        f.settings.ProxyHost = r.proxyPort ? "127.0.0.1" : "";
        f.settings.ProxyPort = std::to_string(r.proxyPort);
        f.settings.ProxyType = r.type;
        f.settings.ProxyNeedsAuth = r.login;
        f.settings.ProxyUser = "bob";
        f.settings.ProxyPassword = "secret";
        const std::string nick = "route" + std::to_string(++n);
        Session& s = f.open(LifecycleFixture::profile(server.port(), nick));
        ASSERT_TRUE(registered(f, s)) << r.what << ": " << (f.prompts.errors.empty() ? "" : f.prompts.errors[0]);
        EXPECT_EQ(LifecycleFixture::statusAfterTick(s), "Connected") << r.what;
        s.Engine().Join("#pell");
        ASSERT_TRUE(f.gui.pumpUntil([&] { return watcher.saw(":" + nick + "!"); })) << r.what;

        bool closed = false;
        s.Lifecycle().RequestClose = [&] { closed = s.Lifecycle().CloseRequest(); };
        EXPECT_FALSE(s.Lifecycle().CloseRequest()) << r.what;
        // ngircd passes the reason on in quotes.
        ASSERT_TRUE(f.gui.pumpUntil([&] { return watcher.saw(":" + nick + "!~al@127.0.0.1 QUIT :\"gone fishing\""); }))
            << r.what;
        ASSERT_TRUE(f.gui.pumpUntil([&] { return !s.Engine().Connected(); })) << r.what;
        s.Lifecycle().onCloseTimer();
        EXPECT_TRUE(closed) << r.what;
        f.sessions.clear();
    }
    EXPECT_EQ(f.prompts.asked.size(), 1u);
    EXPECT_TRUE(f.prompts.errors.empty());
}

TEST(LifecycleOnNgircd, ReconnectAfterTheServerRestarted)
{
    LifecycleFixture f;
    std::optional<test::Ngircd> server(std::in_place);
    const int port = server->port();
    Session& s = f.open(LifecycleFixture::profile(port));
    ASSERT_TRUE(registered(f, s));
    server.reset();
    ASSERT_TRUE(f.gui.pumpUntil([&] { return !s.Engine().Connected(); }));
    EXPECT_EQ(LifecycleFixture::statusAfterTick(s), "Disonnected");
    server.emplace(test::Ngircd::Options{{}, port});
    s.Lifecycle().Reconnect();
    ASSERT_TRUE(registered(f, s)) << (f.prompts.errors.empty() ? "" : f.prompts.errors[0]);
    EXPECT_EQ(LifecycleFixture::statusAfterTick(s), "Connected");
}

TEST(LifecycleOnNgircd, BothNicksTakenTheAnswerToThePromptIsTried)
{
    test::Ngircd server;
    LifecycleFixture f;
    Watcher first(f.gui, server.port(), "alice");
    Watcher second(f.gui, server.port(), "OtherNick");
    ASSERT_TRUE(f.gui.pumpUntil([&] { return first.engine.State() == irc::csConnected
                                          && second.engine.State() == irc::csConnected; }));
    f.prompts.textAnswers.push_back("alice2");
    Session& s = f.open(LifecycleFixture::profile(server.port(), "alice"));
    ASSERT_TRUE(registered(f, s));
    EXPECT_EQ(f.prompts.asked, std::vector<std::string>{"New Nick|New Nick|"});
    EXPECT_EQ(s.Engine().Nick(), "alice2");
}

} // namespace
