#include "WiredSession.h"
#include "session/TemplateRun.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace pell;
using namespace pell::session;
namespace fakes = pell::session::testing;

namespace {

using Lines = std::vector<std::string>;

// A session model and its commands over an engine on a scripted server; sent() gives the
// exact lines written.
class Commands : public ::testing::Test, protected fakes::WiredSession {
protected:
    Commands()
    {
        irc.OnError = [this](irc::TIdIRCUser*, const std::string&, const std::string& text) { errors.push_back(text); };
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

    // One button or menu entry of a data file, with its argument: "Join #x", "Kick 0".
    void press(const std::string& line)
    {
        const auto space = line.find(' ');
        const std::string name = line.substr(0, space), arg = space == line.npos ? "" : line.substr(space + 1);
        const int row = std::atoi(arg.c_str());
        auto& c = commands;
        const std::map<std::string, std::function<void()>> buttons = {
            {"Leave", [&] { c.Leave(); }}, {"CloseTab", [&] { c.CloseTab(); }}, {"Join", [&] { c.Join(arg); }},
            {"ShowChannels", [&] { c.ShowChannels(); }}, {"Userlist", [&] { c.Userlist(); }},
            {"ChangeNick", [&] { c.ChangeNick(); }}, {"AwayChanged", [&] { c.AwayChanged(row); }},
            {"Invite", [&] { c.Invite(row); }}, {"Voice", [&] { c.Voice(row); }}, {"DeVoice", [&] { c.DeVoice(row); }},
            {"Op", [&] { c.Op(row); }}, {"DeOp", [&] { c.DeOp(row); }}, {"Ban", [&] { c.Ban(row); }}, {"Kick", [&] { c.Kick(row); }}};
        ASSERT_EQ(buttons.count(name), 1u) << line;
        buttons.at(name)();
    }
    std::string active() { return s.model.Tabs().Active().Caption; }
    Rgb lastColour(const std::string& caption)
    {
        return s.model.Tabs().At(s.model.Tabs().Find(caption)).Text->Lines().back().BaseColour();
    }

    fakes::SessionFixture& s = *this;
    Lines errors;
    TemplateRun run{irc, commands, s.settings, s.prompts};
};

TEST_F(Commands, EnterEchoesOnTheActiveTabAndSendsToItsCaption)
{
    connect();
    for (const auto& c : test::readCases("session/commands-enter.txt")) {
        SCOPED_TRACE(c.name);
        const std::string echoTab = c.one("echo-tab");
        onTab(c.one("tab"));
        s.model.ClearActive();
        if (const int index = s.model.Tabs().Find(echoTab); index >= 0)
            s.model.Tabs().At(index).Text->Clear();
        commands.SetInputLine(c.one("typed"));
        commands.Enter();
        EXPECT_EQ(sent(), c.lines("wire"));
        EXPECT_EQ(s.linesOf(echoTab), c.lines("echo"));
        EXPECT_EQ(lastColour(echoTab), static_cast<Rgb>(s.settings.OwnColour));
        EXPECT_EQ(commands.InputLine(), "");
        EXPECT_EQ(commands.History().Lines().back(), c.one("typed"));
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


// Offline, Enter keeps the text in the box and still remembers it; Action does nothing.
TEST_F(Commands, OfflineTheLineIsKeptAndRememberedAndUpAndDownBrowseIt)
{
    commands.SetInputLine("a");
    commands.HistoryUp(); // nothing to go back to
    EXPECT_EQ(commands.InputLine(), "a");
    commands.Enter();
    commands.SetInputLine("see www.example.org");
    commands.Enter();
    EXPECT_EQ(commands.InputLine(), "see www.example.org");
    EXPECT_EQ(s.shared.Addresses.Entries().size(), 1u);
    commands.HistoryUp();
    EXPECT_EQ(commands.InputLine(), "see www.example.org");
    commands.HistoryDown();
    EXPECT_EQ(commands.InputLine(), "a");
    EXPECT_EQ(s.view.inputChanges, 3);
    commands.SetInputLine("waves");
    commands.Action();
    EXPECT_EQ(commands.InputLine(), "waves");
    EXPECT_EQ(commands.History().Lines(), (Lines{"a", "see www.example.org"}));
    EXPECT_TRUE(s.linesOf("Main").empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(Commands, ActionEchoesInTheActionColourAndSendsByItsFirstCharacter)
{
    connect();
    for (const auto& c : test::readCases("session/commands-action.txt")) {
        SCOPED_TRACE(c.name);
        const std::string typed = c.one("typed"), caption = c.one("active");
        onTab("#a");
        commands.SetInputLine(typed);
        commands.Action();
        EXPECT_EQ(sent(), c.lines("wire"));
        EXPECT_EQ(active(), caption);
        EXPECT_EQ(s.linesOf(caption).back(), "<Action>:me: " + typed);
        EXPECT_EQ(lastColour(caption), static_cast<Rgb>(s.settings.ActionColour));
        EXPECT_EQ(commands.InputLine(), "");
        EXPECT_EQ(commands.History().Lines().back(), typed);
    }
}

// Table: tests/data/session/commands-buttons.txt. Run offline first: the engine refuses
// each send, Join and Show Channels do not try, and the tabs change the same way.
TEST_F(Commands, ButtonsAndTabMenuSendTheirLinesAndOfflineTheRestGoesOn)
{
    s.shared.QuitReason = "bye";
    for (const bool online : {false, true}) {
        if (online)
            connect();
        for (const auto& c : test::readCases("session/commands-buttons.txt")) {
            SCOPED_TRACE(c.name + (online ? "" : " offline"));
            while (s.model.Tabs().Count() > 2)
                s.model.Tabs().CloseTab(1);
            onChannelWithBob();
            errors.clear();
            s.prompts.asked.clear();
            const Lines answers = c.lines("answer");
            s.prompts.textAnswers.assign(answers.begin(), answers.end());
            for (const auto& button : c.lines("press"))
                press(button);
            EXPECT_EQ(sent(), online ? c.lines("wire") : Lines{});
            EXPECT_EQ(errors, Lines(online ? 0 : std::stoi(c.one("refused", "0")), "Nicht mit Server verbunden."));
            EXPECT_EQ(s.prompts.asked, c.lines("asked"));
            EXPECT_EQ(active(), c.one("active"));
            EXPECT_EQ(s.model.Tabs().Find("#a") < 0, c.has("closes"));
            if (!online)
                irc.SetNick("me"); // offline the engine takes a new nick at once
        }
    }
}

TEST_F(Commands, IgnoreUnignoreDeleteAndDoubleClickTakeThePlainNick)
{
    onChannelWithBob();
    commands.Ignore(-1);
    EXPECT_TRUE(s.model.Ignores().Entries().empty());
    commands.Ignore(0);
    EXPECT_EQ(s.model.Ignores().Entries(), (Lines{"bob"}));
    commands.Unignore(1); // no such row
    commands.Unignore(0);
    EXPECT_TRUE(s.model.Ignores().Entries().empty());
    commands.Ignore(0);
    s.model.SelectIgnoreEntry(0);
    commands.DeleteIgnoreEntry();
    EXPECT_TRUE(s.model.Ignores().Entries().empty());
    commands.OpenQuery(-1);
    EXPECT_EQ(active(), "#a");
    commands.OpenQuery(0);
    EXPECT_EQ(active(), "bob");
}

// Bob differs from the tracked bob by case only; zed is not tracked at all.
TEST_F(Commands, InfoShowsTheTrackedUserWhoseNickMatchesExactly)
{
    connect(); // the own record comes first
    irc.HandleLine(":me!m@host JOIN #a");
    irc.Users.Add("bob", "b@example.org");
    onTab("#a");
    s.model.Tabs().RefillNickList("#a", {"Bob", "zed", "bob", "me"}, {0, 0, 2, 1});
    ASSERT_EQ(s.model.Tabs().Active().Nicks->Entries(), (Lines{"+bob", "@me", "Bob", "zed"}));
    for (const auto& [row, shown] : std::vector<std::pair<int, std::string>>{
             {2, ""}, {3, ""}, {0, "bob|b@example.org|1"}, {1, "me|m@host|0"}}) {
        commands.Info(row);
        EXPECT_EQ(userInfo.Visible() ? userInfo.Nick() + "|" + userInfo.Address() + "|" + userInfo.Id() : "", shown);
        userInfo.Close();
    }
}

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
