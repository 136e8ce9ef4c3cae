#include "platform/EventQueue.h"
#include "session/TemplateRun.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"

#include "WiredSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace pell;
using namespace pell::session;

namespace {

// alice runs a template and switches tabs; carol sees what goes out, the raw log the answers.
TEST(TemplateOnNgircd, EachTemplateTickSendsOneLineToTheTabThatIsActiveThen)
{
    test::Ngircd server;
    session::testing::WiredSession alice;
    alice.events.Bind(); // the raw log shows the server's answers
    alice.irc.SetNick("alice");
    alice.irc.Host = "127.0.0.1";
    alice.irc.Port = server.port();
    alice.irc.Connect(3000);
    ASSERT_TRUE(alice.gui.pumpUntil([&] { return alice.irc.State() == irc::csConnected; })) << server.log();
    test::RawIrcClient carol(server.port(), "carol");
    carol.send("JOIN #room");
    ASSERT_TRUE(alice.gui.pumpUntil([&] { return carol.saw("366 carol #room"); }));
    TemplateRun run(alice.irc, alice.commands, alice.settings, alice.prompts);
    const auto carolGot = [&](const std::string& line) { return carol.saw(":alice!") && carol.saw(" " + line + "\r\n"); };
    const auto rawHas = [&](const std::string& text) {
        const auto raw = alice.model.Raw().Entries().ToVector();
        return std::any_of(raw.begin(), raw.end(), [&](const std::string& e) { return e.find(text) != e.npos; });
    };
    const std::string M = settings::TemplateStore::Marker;
    run.Run(settings::TemplateStore({M, "greet", "hi carol", "", "/away lunch", "plain", "#room", "hi room", "bye"}),
            "greet");
    // The tab switched to before each tick (empty to stay), and what shows its line.
    const std::pair<std::string, std::function<bool()>> ticks[] = {
        {"carol", [&] { return carolGot("PRIVMSG carol :hi carol"); }},
        {"", [] { return true; }}, // a pause that does not end the run
        {"", [&] { return rawHas("$$$ Command: 306"); }},
        {"Main", [&] { return alice.linesOf("Main").back().starts_with("<System>:Plain text cannot"); }},
        {"carol", [&] { return carolGot("JOIN :#room") && rawHas("$$$ Command: JOIN$$$"); }},
        {"", [&] { return carolGot("PRIVMSG #room :hi room"); }},
        {"carol", [&] { return carolGot("PRIVMSG carol :bye"); }}, // a new query: the old one became #room
    };
    for (const auto& [tab, seen] : ticks) {
        if (!tab.empty())
            alice.model.Tabs().NewChannel(tab);
        run.onSendTimerTick();
        EXPECT_TRUE(alice.gui.pumpUntil(seen)) << tab << "\n" << carol.received();
    }
    run.onSendTimerTick();
    EXPECT_FALSE(run.SendTimerRunning());
    EXPECT_FALSE(carol.saw("PRIVMSG carol :\r\n") || carol.saw("plain"));
}

} // namespace
