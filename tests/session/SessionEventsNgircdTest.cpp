#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "session/SessionCommands.h"
#include "session/SessionEvents.h"
#include "session/SessionFakes.h"
#include "session/TemplateRun.h"
#include "support/Ngircd.h"
#include "support/RawIrcClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace pell;
using namespace pell::session;
using namespace pell::session::testing;

namespace {

// One session window's model, its engine and its event handlers, on a shared GUI queue.
struct Session : SessionFixture {
    Session(platform::EventQueue& gui, int port, const std::string& nick) : irc(gui)
    {
        events.Bind();
        model.SetServerName("Test");
        irc.Host = "127.0.0.1";
        irc.Port = port;
        irc.SetNick(nick);
        irc.Username = nick;
    }
    ~Session() { irc.Disconnect(true); }

    bool hasLine(const std::string& caption, const std::string& line)
    {
        const auto lines = linesOf(caption);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::vector<std::string> nicks(const std::string& caption)
    {
        const int index = model.Tabs().Find(caption);
        return index < 0 ? std::vector<std::string>{} : model.Tabs().At(index).Nicks->Entries();
    }

    irc::TIdIRC irc;
    SessionEvents events{irc, model, settings};
};

class SessionEventsOnNgircd : public ::testing::Test {
protected:
    void SetUp() override
    {
        alice = std::make_unique<Session>(gui, server.port(), "alice");
        bob = std::make_unique<Session>(gui, server.port(), "bob");
        for (Session* s : {alice.get(), bob.get()}) {
            s->irc.Connect(3000);
            ASSERT_TRUE(until([&] { return s->irc.State() == irc::csConnected; })) << server.log();
        }
    }

    bool until(const std::function<bool()>& condition) { return gui.pumpUntil(condition); }

    // Both sides open the room's tab and join it; alice first, so she holds op.
    void bothJoin()
    {
        for (Session* s : {alice.get(), bob.get()}) {
            s->model.Tabs().NewChannel("#room");
            s->irc.Join("#room");
            ASSERT_TRUE(until([&] { return !s->nicks("#room").empty(); }));
        }
        ASSERT_TRUE(until([&] { return alice->hasLine("#room", "<System>:bob joined"); }));
    }

    test::Ngircd server;
    platform::EventQueue gui;
    std::unique_ptr<Session> alice, bob;
};

TEST_F(SessionEventsOnNgircd, JoinChatOpNickKickPartQuitAndList)
{
    bothJoin();
    EXPECT_EQ(alice->model.Caption(), "Test [#room]");
    EXPECT_EQ(alice->nicks("#room"), (std::vector<std::string>{"@alice", "bob"}));
    EXPECT_EQ(bob->nicks("#room"), (std::vector<std::string>{"@alice", "bob"}));

    alice->irc.Say("#room", "hi bob");
    ASSERT_TRUE(until([&] { return bob->hasLine("#room", "<alice>:hi bob"); }));
    bob->irc.Say("#room", "hi alice");
    ASSERT_TRUE(until([&] { return alice->hasLine("#room", "<bob>:hi alice"); }));
    const auto& line = alice->model.Tabs().At(alice->model.Tabs().Find("#room")).Text->Lines().back();
    EXPECT_EQ(line.BaseColour(), static_cast<Rgb>(alice->settings.OthersColour));

    alice->irc.Mode("#room", "+o", "bob");
    ASSERT_TRUE(until([&] { return bob->hasLine("Main", "<System>:Op :alice at #room to bob"); }));
    EXPECT_TRUE(bob->hasLine("#room", "<alice>:Channelmode: +o bob"));

    bob->irc.SetNick("bobby");
    ASSERT_TRUE(until([&] { return alice->hasLine("Main", "<bob>:bob changed to bobby"); }));
    EXPECT_EQ(alice->nicks("#room"), (std::vector<std::string>{"@alice", "bobby"}));

    alice->irc.Kick("#room", "bobby", "out");
    ASSERT_TRUE(until([&] { return alice->hasLine("#room", "<System>:alice kicked bobby"); }));
    EXPECT_EQ(alice->nicks("#room"), (std::vector<std::string>{"@alice"}));

    bob->irc.Join("#room");
    ASSERT_TRUE(until([&] { return alice->nicks("#room").size() == 2; }));
    bob->irc.Part("#room");
    ASSERT_TRUE(until([&] { return alice->hasLine("#room", "<System>:bobby leaved"); }));
    EXPECT_EQ(alice->nicks("#room"), (std::vector<std::string>{"@alice"}));

    bob->irc.Join("#room");
    ASSERT_TRUE(until([&] { return alice->nicks("#room").size() == 2; }));
    bob->irc.Quit("bye");
    ASSERT_TRUE(until([&] { return alice->hasLine("#room", "<System>:Quit: bobby"); }));
    EXPECT_EQ(alice->nicks("#room"), (std::vector<std::string>{"@alice"}));

    alice->irc.Raw("LIST");
    ASSERT_TRUE(until([&] { return alice->model.Tabs().Find("Channels") >= 0; }));
    const auto listed = alice->linesOf("Channels");
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [](const std::string& l) { return l.rfind("#room 1", 0) == 0; }))
        << (listed.empty() ? "" : listed.front());
    // ngircd also lists its &SERVER channel: a line without "#" adds the empty name.
    EXPECT_EQ(alice->model.ChannelBox().Items(), (std::vector<std::string>{"", "#room"}));
}

// alice runs a template and switches tabs; carol sees what goes out, the raw log the answers.
TEST_F(SessionEventsOnNgircd, EachTemplateTickSendsOneLineToTheTabThatIsActiveThen)
{
    test::RawIrcClient carol(server.port(), "carol");
    carol.send("JOIN #room");
    ASSERT_TRUE(until([&] { return carol.saw("366 carol #room"); }));
    UserInfoModel userInfo;
    SessionCommands commands(alice->irc, alice->model, alice->settings, alice->prompts, userInfo);
    TemplateRun run(alice->irc, commands, alice->settings, alice->prompts);
    const auto carolGot = [&](const std::string& line) { return carol.saw(":alice!") && carol.saw(" " + line + "\r\n"); };
    const auto rawHas = [&](const std::string& text) {
        const auto raw = alice->model.Raw().Entries().ToVector();
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
        {"Main", [&] { return alice->linesOf("Main").back().starts_with("<System>:Plain text cannot"); }},
        {"carol", [&] { return carolGot("JOIN :#room") && rawHas("$$$ Command: JOIN$$$"); }},
        {"", [&] { return carolGot("PRIVMSG #room :hi room"); }},
        {"carol", [&] { return carolGot("PRIVMSG carol :bye"); }}, // a new query: the old one became #room
    };
    for (const auto& [tab, seen] : ticks) {
        if (!tab.empty())
            alice->model.Tabs().NewChannel(tab);
        run.onSendTimerTick();
        EXPECT_TRUE(until(seen)) << tab << "\n" << carol.received();
    }
    run.onSendTimerTick();
    EXPECT_FALSE(run.SendTimerRunning());
    EXPECT_FALSE(carol.saw("PRIVMSG carol :\r\n") || carol.saw("plain"));
}

} // namespace
