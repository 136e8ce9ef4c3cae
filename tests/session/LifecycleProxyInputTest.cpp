#include "session/LifecycleFixture.h"
#include "support/ScriptedProxy.h"

#include <gtest/gtest.h>

using namespace pell;
using namespace pell::session;
using session::testing::LifecycleFixture;
using test::ScriptedProxy;

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (const int value : values)
        out += static_cast<char>(value);
    return out;
}

const std::string kNoAnswer = "Socks-Server hat nicht geantwortet.";

// A session whose proxy plays the steps; the server is 127.0.0.1:6667 behind it.
Session& openThrough(LifecycleFixture& f, const ScriptedProxy& proxy, int type,
                     const PresentationBinder& binder = {})
{
    f.connectTimeoutMs = 500;
    f.settings.ProxyHost = "127.0.0.1";
    f.settings.ProxyPort = std::to_string(proxy.port());
    f.settings.ProxyType = type;
    return f.open(LifecycleFixture::profile(6667), binder);
}

TEST(LifecycleProxyInput, AMisbehavingProxyEndsTheConnectWithAClearError)
{
    struct Case {
        const char* what;
        int type;
        std::vector<ScriptedProxy::Step> steps;
        ScriptedProxy::End end;
        std::string error;
    };
    const Case cases[] = {
        {"closes after the greeting", 3, {{3, ""}}, ScriptedProxy::End::Close, kNoAnswer},
        {"answers garbage", 3, {{3, "HTTP/1.1 400 Bad Request\r\n\r\n"}}, ScriptedProxy::End::Close,
         "Ungültige Authentifizierungmethode für SOCKS."},
        {"half a method reply, then silence", 3, {{3, bytes({5})}}, ScriptedProxy::End::Hold, kNoAnswer},
        {"half a connect reply, then silence", 3, {{3, bytes({5, 0})}, {16, bytes({5, 0, 0})}},
         ScriptedProxy::End::Hold, kNoAnswer},
        {"version 4 garbage", 1, {{9, "garbage!"}}, ScriptedProxy::End::Close, "Unbekannter SOCKS-Fehler."},
        {"version 4 half a reply, then silence", 1, {{9, bytes({0, 90})}}, ScriptedProxy::End::Hold,
         "Zeitüberschreitung beim Lesen"},
    };
    for (const Case& c : cases) {
        LifecycleFixture f;
        ScriptedProxy proxy(c.steps, c.end);
        Session& s = openThrough(f, proxy, c.type);
        ASSERT_TRUE(f.connectEnded(s)) << c.what;
        EXPECT_EQ(f.prompts.errors, std::vector<std::string>{c.error}) << c.what;
        EXPECT_FALSE(s.Engine().Connected()) << c.what;
        EXPECT_EQ(LifecycleFixture::statusAfterTick(s), "Disonnected") << c.what;
    }
}

TEST(LifecycleProxyInput, TheFirstLineAfterADomainNameReplyIsTheServersOwn)
{
    LifecycleFixture f;
    const std::string reply = bytes({5, 0, 0, 3, 11}) + "irc.example" + bytes({0x1A, 0x0B});
    ScriptedProxy proxy({{3, bytes({5, 0})}, {16, reply + ":srv 001 alice :Welcome\r\n"}},
                        ScriptedProxy::End::Hold);
    std::vector<std::string> lines;
    Session& s = openThrough(f, proxy, 3, [&](irc::TIdIRC& engine, SessionModel&) {
        engine.OnReceive = [&](const std::string& line) { lines.push_back(line); };
    });
    ASSERT_TRUE(f.gui.pumpUntil([&] { return !lines.empty(); }));
    EXPECT_EQ(lines.front(), ":srv 001 alice :Welcome");
    EXPECT_EQ(s.Engine().State(), irc::csConnected);
    EXPECT_TRUE(f.prompts.errors.empty());
}

} // namespace
