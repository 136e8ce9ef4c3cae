#include "irc/TIdIRC.h"
#include "platform/EventQueue.h"
#include "session/SessionCommands.h"
#include "session/TemplateRun.h"
#include "support/FakeServer.h"

#include "SessionFakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace pell;
using namespace pell::session;
namespace fakes = pell::session::testing;

namespace {

using Lines = std::vector<std::string>;

struct InputView : fakes::RecordingView {
    int inputChanges = 0;
    void inputLineChanged() override { ++inputChanges; }
};

// A session model and its commands over an engine talking to a scripted server, so the
// exact lines on the wire can be read back.
class Commands : public ::testing::Test {
protected:
    Commands()
    {
        irc.SetNick("me");
        irc.OnError = [this](irc::TIdIRCUser*, const std::string&, const std::string& text) {
            errors.push_back(text);
        };
    }

    void connect()
    {
        irc.Host = "127.0.0.1";
        irc.Port = fake.port();
        irc.BoundIP = "127.0.0.1";
        irc.Connect(3000);
        ASSERT_TRUE(fake.waitForReceived("USER "));
        const std::string all = fake.received();
        consumed_ = all.find("\r\n", all.find("USER ")) + 2;
    }

    // The lines written since the last call, without their line ends.
    Lines sent()
    {
        if (!irc.Connected())
            return {};
        const std::string marker = "PING mark" + std::to_string(++marks_) + "\r\n";
        irc.Raw(marker.substr(0, marker.size() - 2));
        EXPECT_TRUE(fake.waitForReceived(marker));
        const std::string all = fake.received();
        const std::size_t end = all.find(marker, consumed_);
        Lines lines;
        for (std::size_t at = consumed_; at < end;) {
            const std::size_t eol = all.find("\r\n", at);
            lines.push_back(all.substr(at, eol - at));
            at = eol + 2;
        }
        consumed_ = end + marker.size();
        return lines;
    }

    // Opens the tab (or goes back to "Main") and makes it the active one.
    void onTab(const std::string& caption)
    {
        if (caption == MainCaption)
            s.model.UserSelectsTab(0);
        else
            s.model.Tabs().NewChannel(caption);
    }

    // Tab #a, active, with a nick list holding @bob alone.
    void onChannelWithBob()
    {
        onTab("#a");
        s.model.Tabs().RefillNickList("#a", {"bob"}, {1});
    }

    std::string active() { return s.model.Tabs().Active().Caption; }
    Rgb lastColour(const std::string& caption)
    {
        return s.model.Tabs().At(s.model.Tabs().Find(caption)).Text->Lines().back().BaseColour();
    }

    fakes::SessionFixture s;
    platform::EventQueue gui;
    test::FakeServer fake;
    Lines errors;
    irc::TIdIRC irc{gui};
    UserInfoModel userInfo;
    SessionCommands commands{irc, s.model, s.settings, s.prompts, userInfo};
    TemplateRun run{irc, commands, s.settings, s.prompts};

private:
    std::size_t consumed_ = 0;
    int marks_ = 0;
};

TEST_F(Commands, EnterEchoesOnTheActiveTabAndSendsToItsCaption)
{
    const struct {
        std::string tab, typed;
        Lines wire;
        std::string echoTab;
        Lines echo;
    } cases[] = {
        {"#a", "hello", {"PRIVMSG #a :hello"}, "#a", {"<me>:hello"}},
        {"#a", "/join #b", {"join #b"}, "#a", {"<me>:/join #b"}},
        {"Main", "/away", {"away"}, "Main", {"<me>:/away"}},
        {"#a", "/", {""}, "#a", {"<me>:/"}},
        {"#a", "", {}, "#a", {"<me>:"}},
    };
    connect();
    for (const auto& c : cases) {
        onTab(c.tab);
        s.model.ClearActive();
        if (const int echoTab = s.model.Tabs().Find(c.echoTab); echoTab >= 0)
            s.model.Tabs().At(echoTab).Text->Clear();
        commands.SetInputLine(c.typed);
        commands.Enter();
        EXPECT_EQ(sent(), c.wire) << c.typed;
        EXPECT_EQ(s.linesOf(c.echoTab), c.echo) << c.typed;
        EXPECT_EQ(lastColour(c.echoTab), static_cast<Rgb>(s.settings.OwnColour)) << c.typed;
        EXPECT_EQ(commands.InputLine(), "") << c.typed;
        EXPECT_EQ(commands.History().Lines().back(), c.typed);
    }
    EXPECT_TRUE(errors.empty());
}

// Plain text there would go to whoever holds the nick "Main": it stays in the input line.
TEST_F(Commands, PlainTextOnTheFixedTabsIsNotSentButCommandsAndJoinsAre)
{
    const struct {
        std::string tab, typed;
        void (SessionCommands::*press)();
        Lines wire;
        std::string refused; // the start of the line in "Main", in the case's language
    } cases[] = {
        {"Main", "identify secret", &SessionCommands::Enter, {}, "Plain text cannot be sent from the tab Main"},
        {"Channels", "#b hi", &SessionCommands::Enter, {}, "Normaler Text kann vom Tab Channels nicht"},
        {"Ignorlist", "waves", &SessionCommands::Action, {}, "Plain text cannot be sent from the tab Ignorlist"},
        {"Main", "/away x", &SessionCommands::Action, {"away x"}, ""},
        {"Channels", "#c", &SessionCommands::Action, {"JOIN #c"}, ""},
    };
    connect();
    for (const auto& c : cases) {
        onTab(c.tab);
        s.settings.Language = c.refused.starts_with("Normaler") ? 1 : 0;
        commands.SetInputLine(c.typed);
        (commands.*c.press)();
        EXPECT_EQ(sent(), c.wire) << c.typed;
        EXPECT_EQ(commands.InputLine(), c.wire.empty() ? c.typed : "");
        EXPECT_EQ(s.linesOf("Main").back().starts_with("<System>:" + c.refused), c.wire.empty()) << c.typed;
    }
}

TEST_F(Commands, EnterOfflineKeepsTheTextAndStillRemembersIt)
{
    commands.SetInputLine("see www.example.org");
    commands.Enter();
    EXPECT_EQ(commands.InputLine(), "see www.example.org");
    EXPECT_EQ(commands.History().Lines(), (Lines{"see www.example.org"}));
    EXPECT_EQ(s.shared.Addresses.Entries().size(), 1u);
    EXPECT_TRUE(s.linesOf("Main").empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(Commands, UpAfterEnterPutsTheNewestLineBackAndTellsTheView)
{
    InputView view;
    fakes::FakeDesktop desktop;
    fakes::FakeSaveDialog dialog;
    SessionModel model{s.settings, s.shared, SessionPorts{view, desktop, s.prompts, dialog}};
    SessionCommands own{irc, model, s.settings, s.prompts, userInfo};
    own.SetInputLine("draft");
    own.HistoryUp();
    EXPECT_EQ(own.InputLine(), "draft");
    for (const char* line : {"a", "b"}) {
        own.SetInputLine(line);
        own.Enter();
    }
    own.HistoryUp();
    EXPECT_EQ(own.InputLine(), "b");
    own.HistoryDown();
    EXPECT_EQ(own.InputLine(), "a");
    EXPECT_EQ(view.inputChanges, 3);
}

TEST_F(Commands, ActionEchoesInTheActionColourAndSendsByItsFirstCharacter)
{
    const struct {
        std::string typed;
        Lines wire;
        std::string caption; // of the active tab afterwards
    } cases[] = {
        {"waves", {"PRIVMSG #a :\x01" "ACTION waves\x01"}, "#a"},
        {"/mode #a +m", {"mode #a +m"}, "#a"},
        {"", {}, "#a"},
        {"#c", {"JOIN #c"}, "#c"},
    };
    connect();
    for (const auto& c : cases) {
        onTab("#a");
        commands.SetInputLine(c.typed);
        commands.Action();
        EXPECT_EQ(sent(), c.wire) << c.typed;
        EXPECT_EQ(active(), c.caption) << c.typed;
        EXPECT_EQ(s.linesOf(c.caption).back(), "<Action>:me: " + c.typed);
        EXPECT_EQ(lastColour(c.caption), static_cast<Rgb>(s.settings.ActionColour));
        EXPECT_EQ(commands.InputLine(), "");
        EXPECT_EQ(commands.History().Lines().back(), c.typed);
    }
}

TEST_F(Commands, ActionOfflineDoesNothingAtAll)
{
    commands.SetInputLine("waves");
    commands.Action();
    EXPECT_EQ(commands.InputLine(), "waves");
    EXPECT_TRUE(commands.History().Lines().empty());
    EXPECT_TRUE(s.linesOf("Main").empty());
}

// Each case starts on tab #a with QuitReason "bye"; prompts answer from the list.
struct ButtonCase {
    const char* name;
    std::function<void(SessionCommands&)> press;
    std::vector<std::optional<std::string>> answers;
    Lines wire;
    Lines asked;
    std::string activeAfter;
    bool channelTabLeft;
};

TEST_F(Commands, ButtonsAndTabMenuSendTheirLines)
{
    const ButtonCase cases[] = {
        // Both act on the active tab; its right-hand neighbour takes over.
        {"leave", [](auto& c) { c.Leave(); }, {}, {"PART #a :bye"}, {}, "Ignorlist", false},
        {"close tab", [](auto& c) { c.CloseTab(); }, {}, {"PART #a"}, {}, "Ignorlist", false},
        {"join", [](auto& c) { c.Join("#x"); }, {}, {"JOIN #x"}, {}, "#x", true},
        {"join empty box", [](auto& c) { c.Join(""); }, {}, {}, {}, "#a", true},
        {"show channels", [](auto& c) { c.ShowChannels(); }, {}, {"list"}, {}, "Channels", true},
        {"userlist", [](auto& c) { c.Userlist(); }, {}, {"names #a"}, {}, "#a", true},
        {"change nick", [](auto& c) { c.ChangeNick(); }, {"newme"}, {"NICK newme"},
         {"New Nick|New Nick:|me"}, "#a", true},
        {"change nick cancelled", [](auto& c) { c.ChangeNick(); }, {std::nullopt}, {"NICK me"},
         {"New Nick|New Nick:|me"}, "#a", true},
        {"away on", [](auto& c) { c.AwayChanged(true); }, {"lunch"}, {"away lunch"},
         {"Reason|Reason:|"}, "#a", true},
        {"away on cancelled", [](auto& c) { c.AwayChanged(true); }, {std::nullopt}, {"away "},
         {"Reason|Reason:|"}, "#a", true},
        {"away off", [](auto& c) { c.AwayChanged(false); }, {}, {"away"}, {}, "#a", true},
    };
    connect();
    s.shared.QuitReason = "bye";
    for (const auto& c : cases) {
        onTab("#a");
        s.prompts.asked.clear();
        s.prompts.textAnswers.assign(c.answers.begin(), c.answers.end());
        c.press(commands);
        EXPECT_EQ(sent(), c.wire) << c.name;
        EXPECT_EQ(s.prompts.asked, c.asked) << c.name;
        EXPECT_EQ(active(), c.activeAfter) << c.name;
        EXPECT_EQ(s.model.Tabs().Find("#a") >= 0, c.channelTabLeft) << c.name;
    }
    EXPECT_TRUE(errors.empty());
}

// Offline, the engine reports each send it refused; the tab still closes.
TEST_F(Commands, OfflineSendsAreRefusedByTheEngineAndTheRestGoesOn)
{
    const struct {
        const char* name;
        std::function<void(SessionCommands&)> press;
        int refused;
        bool channelTabLeft;
    } cases[] = {
        {"leave", [](auto& c) { c.Leave(); }, 1, false},
        {"close tab", [](auto& c) { c.CloseTab(); }, 1, false},
        {"userlist", [](auto& c) { c.Userlist(); }, 1, true},
        {"away", [](auto& c) { c.AwayChanged(false); }, 1, true},
        {"op", [](auto& c) { c.Op(0); }, 1, true},
        {"join", [](auto& c) { c.Join("#a"); }, 0, true},
        {"show channels", [](auto& c) { c.ShowChannels(); }, 0, true},
    };
    for (const auto& c : cases) {
        onChannelWithBob();
        errors.clear();
        c.press(commands);
        EXPECT_EQ(errors, Lines(c.refused, "Nicht mit Server verbunden.")) << c.name;
        EXPECT_EQ(s.model.Tabs().Find("#a") >= 0, c.channelTabLeft) << c.name;
    }
}

TEST_F(Commands, NickListActionsActOnTheSelectedNickWithoutItsPrefix)
{
    const struct {
        const char* name;
        void (SessionCommands::*action)(int);
        std::optional<std::string> answer;
        Lines wire;
        Lines asked;
    } cases[] = {
        {"Invite", &SessionCommands::Invite, "#x", {"Invite bob #x"}, {"Channelname|Channelname:|"}},
        {"Voice", &SessionCommands::Voice, {}, {"MODE #a +v bob"}, {}},
        {"DeVoice", &SessionCommands::DeVoice, {}, {"MODE #a -v bob"}, {}},
        {"Op", &SessionCommands::Op, {}, {"MODE #a +o bob"}, {}},
        {"DeOp", &SessionCommands::DeOp, {}, {"MODE #a -o bob"}, {}},
        {"Ban", &SessionCommands::Ban, "#b", {"MODE #b +b bob!*@*"}, {"Channelname|Channelname:|"}},
        {"Kick", &SessionCommands::Kick, "flood", {"KICK #a bob :flood"}, {"Reason|Reason|"}},
        {"Kick cancelled", &SessionCommands::Kick, std::nullopt, {"KICK #a bob :"}, {"Reason|Reason|"}},
    };
    connect();
    onChannelWithBob();
    for (const auto& c : cases) {
        for (int row : {-1, 1, 0}) {
            s.prompts.asked.clear();
            s.prompts.textAnswers = {c.answer};
            (commands.*c.action)(row);
            const bool selected = row == 0;
            EXPECT_EQ(sent(), selected ? c.wire : Lines{}) << c.name << " row " << row;
            EXPECT_EQ(s.prompts.asked, selected ? c.asked : Lines{}) << c.name << " row " << row;
        }
    }
}

TEST_F(Commands, IgnoreUnignoreAndDeleteKeepTheIgnoreList)
{
    onChannelWithBob();
    commands.Ignore(-1);
    EXPECT_TRUE(s.model.Ignores().Entries().empty());
    commands.Ignore(0);
    commands.Ignore(0);
    EXPECT_EQ(s.model.Ignores().Entries(), (Lines{"bob"}));
    commands.Unignore(0);
    EXPECT_TRUE(s.model.Ignores().Entries().empty());

    commands.Ignore(0);
    commands.DeleteIgnoreEntry();
    EXPECT_EQ(s.model.Ignores().Entries(), (Lines{"bob"}));
    s.model.SelectIgnoreEntry(0);
    commands.DeleteIgnoreEntry();
    EXPECT_TRUE(s.model.Ignores().Entries().empty());
}

TEST_F(Commands, DoubleClickOpensAQueryForThePlainNick)
{
    onChannelWithBob();
    commands.OpenQuery(-1);
    EXPECT_EQ(active(), "#a");
    commands.OpenQuery(0);
    EXPECT_EQ(active(), "bob");
}

TEST_F(Commands, InfoShowsTheTrackedUserWhoseNickMatchesExactly)
{
    connect(); // the own record comes first
    irc.HandleLine(":me!m@host JOIN #a");
    irc.Users.Add("bob", "b@example.org");
    onTab("#a");
    s.model.Tabs().RefillNickList("#a", {"Bob", "zed", "bob", "me"}, {0, 0, 2, 1});
    ASSERT_EQ(s.model.Tabs().Active().Nicks->Entries(), (Lines{"+bob", "@me", "Bob", "zed"}));

    // Bob differs from the tracked bob by case only; zed is not tracked at all.
    commands.Info(2);
    commands.Info(3);
    EXPECT_FALSE(userInfo.Visible());

    const struct {
        int row;
        std::string nick, address, id;
    } cases[] = {{0, "bob", "b@example.org", "1"}, {1, "me", "m@host", "0"}};
    for (const auto& c : cases) {
        commands.Info(c.row);
        EXPECT_TRUE(userInfo.Visible());
        EXPECT_EQ(userInfo.Nick(), c.nick);
        EXPECT_EQ(userInfo.Address(), c.address);
        EXPECT_EQ(userInfo.Id(), c.id);
        userInfo.Close();
        EXPECT_FALSE(userInfo.Visible());
    }
}

} // namespace

namespace {

TEST_F(Commands, TheDelayDecidesWhetherTheSendTimerRunsAndATickOfflineEndsTheRun)
{
    const settings::TemplateStore store({settings::TemplateStore::Marker, "t", "a", settings::TemplateStore::Marker, "t"});
    for (const auto& [delay, running] : {std::pair("2500", true), {"0", false}, {"-5", false}, {"2.5s", false}}) {
        s.settings.ScriptDelay = "2500";
        run.Run(store, "t"); // a run under way is replaced in every case
        s.settings.ScriptDelay = delay;
        run.Run(store, "t");
        EXPECT_EQ(run.SendTimerRunning(), running) << delay;
        EXPECT_EQ(run.TemplateQueue(), Lines{"a"});
        run.onSendTimerTick(); // not connected
        EXPECT_FALSE(run.SendTimerRunning());
    }
    EXPECT_EQ(s.prompts.errors, Lines{"'2.5s' is not a valid integer value"});
}

} // namespace
