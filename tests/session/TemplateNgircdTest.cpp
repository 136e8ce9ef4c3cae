#include "SessionFakes.h"
#include "session/TemplateRun.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pell::session::testing {
namespace {

// A template run on a real server: a second client sees each line, the raw log the answers.
TEST(TemplateOnNgircd, ASecondClientSeesEachLineAndTheRawLogTheAnswers)
{
    test::Ngircd server;
    WiredSession alice(true);
    alice.events.Bind();
    alice.irc.SetNick("alice");
    alice.irc.Host = "127.0.0.1";
    alice.irc.Port = server.port();
    alice.irc.Connect(3000);
    ASSERT_TRUE(alice.gui.pumpUntil([&] { return alice.irc.State() == irc::csConnected; })) << server.log();
    test::RawIrcClient carol(server.port(), "carol");
    carol.send("JOIN #room");
    ASSERT_TRUE(alice.gui.pumpUntil([&] { return carol.saw("366 carol #room"); }));
    TemplateRun run(alice.irc, alice.commands, alice.settings, alice.prompts);
    const std::string M = settings::TemplateStore::Marker;
    run.Run(settings::TemplateStore({M, "greet", "hi carol", "/away lunch", "#room", "hi room"}), "greet");
    alice.model.Tabs().NewChannel("carol");
    for (const char* seen : {" PRIVMSG carol :hi carol\r\n", "", " JOIN :#room\r\n", " PRIVMSG #room :hi room\r\n"}) {
        run.onSendTimerTick();
        EXPECT_TRUE(alice.gui.pumpUntil([&] { return carol.saw(seen); })) << seen << carol.received();
    }
    EXPECT_TRUE(alice.gui.pumpUntil([&] {
        const auto raw = alice.model.Raw().Entries().ToVector();
        return std::any_of(raw.begin(), raw.end(), [](const std::string& e) { return e.find("Command: 306") != e.npos; });
    }));
}

} // namespace
} // namespace pell::session::testing
