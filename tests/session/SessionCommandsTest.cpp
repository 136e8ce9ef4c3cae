#include "WiredSession.h"

#include <gtest/gtest.h>

#include <functional>

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

    std::string active() { return s.model.Tabs().Active().Caption; }
    Rgb lastColour(const std::string& caption)
    {
        return s.model.Tabs().At(s.model.Tabs().Find(caption)).Text->Lines().back().BaseColour();
    }

    fakes::SessionFixture& s = *this;
    Lines errors;
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
        {"Main", "hi", {"PRIVMSG Main :hi"}, "Main", {"<me>:hi"}},
        {"Main", "#b hi", {"PRIVMSG Main :#b hi"}, "#b", {"<me>:hi"}},
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

// Each case starts on tab #a with QuitReason "bye"; prompts answer from the list. Run
// offline first: the engine refuses each send, Join and Show Channels do not try, and
// the tabs change the same way.
TEST_F(Commands, ButtonsAndTabMenuSendTheirLinesAndOfflineTheRestGoesOn)
{
    const struct {
        const char* name;
        std::function<void(SessionCommands&)> press;
        std::vector<std::optional<std::string>> answers;
        Lines wire, asked;
        std::string activeAfter;
        bool channelTabLeft;
        int refusedOffline;
    } cases[] = {
        // Both act on the active tab; its right-hand neighbour takes over.
        {"leave", [](auto& c) { c.Leave(); }, {}, {"PART #a :bye"}, {}, "Ignorlist", false, 1},
        {"close tab", [](auto& c) { c.CloseTab(); }, {}, {"PART #a"}, {}, "Ignorlist", false, 1},
        {"join", [](auto& c) { c.Join("#x"); }, {}, {"JOIN #x"}, {}, "#x", true, 0},
        {"join empty box", [](auto& c) { c.Join(""); }, {}, {}, {}, "#a", true, 0},
        {"show channels", [](auto& c) { c.ShowChannels(); }, {}, {"list"}, {}, "Channels", true, 0},
        {"userlist", [](auto& c) { c.Userlist(); }, {}, {"names #a"}, {}, "#a", true, 1},
        {"change nick", [](auto& c) { c.ChangeNick(); }, {"newme"}, {"NICK newme"}, {"New Nick|New Nick:|me"}, "#a", true, 0},
        {"change nick cancelled", [](auto& c) { c.ChangeNick(); }, {std::nullopt}, {"NICK me"}, {"New Nick|New Nick:|me"},
         "#a", true, 0},
        {"away on", [](auto& c) { c.AwayChanged(true); }, {"lunch"}, {"away lunch"}, {"Reason|Reason:|"}, "#a", true, 1},
        {"away on cancelled", [](auto& c) { c.AwayChanged(true); }, {std::nullopt}, {"away "}, {"Reason|Reason:|"}, "#a", true, 1},
        {"away off", [](auto& c) { c.AwayChanged(false); }, {}, {"away"}, {}, "#a", true, 1},
        // Nick-list actions take the selected nick without its prefix; no row, no action.
        {"invite", [](auto& c) { c.Invite(0); }, {"#x"}, {"Invite bob #x"}, {"Channelname|Channelname:|"}, "#a", true, 1},
        {"voice", [](auto& c) { c.Voice(0); }, {}, {"MODE #a +v bob"}, {}, "#a", true, 1},
        {"devoice", [](auto& c) { c.DeVoice(0); }, {}, {"MODE #a -v bob"}, {}, "#a", true, 1},
        {"op", [](auto& c) { c.Op(0); }, {}, {"MODE #a +o bob"}, {}, "#a", true, 1},
        {"deop", [](auto& c) { c.DeOp(0); }, {}, {"MODE #a -o bob"}, {}, "#a", true, 1},
        {"ban", [](auto& c) { c.Ban(0); }, {"#b"}, {"MODE #b +b bob!*@*"}, {"Channelname|Channelname:|"}, "#a", true, 1},
        {"kick", [](auto& c) { c.Kick(0); }, {"flood"}, {"KICK #a bob :flood"}, {"Reason|Reason|"}, "#a", true, 1},
        {"kick cancelled", [](auto& c) { c.Kick(0); }, {std::nullopt}, {"KICK #a bob :"}, {"Reason|Reason|"}, "#a", true, 1},
        {"no row", [](auto& c) { c.Voice(-1), c.Ban(1), c.Kick(1), c.Invite(-1); }, {}, {}, {}, "#a", true, 0},
    };
    s.shared.QuitReason = "bye";
    for (const bool online : {false, true}) {
        if (online)
            connect();
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (online ? "" : " offline"));
            while (s.model.Tabs().Count() > 2)
                s.model.Tabs().CloseTab(1);
            onChannelWithBob();
            errors.clear();
            s.prompts.asked.clear();
            s.prompts.textAnswers.assign(c.answers.begin(), c.answers.end());
            c.press(commands);
            EXPECT_EQ(sent(), online ? c.wire : Lines{});
            EXPECT_EQ(errors, Lines(online ? 0 : c.refusedOffline, "Nicht mit Server verbunden."));
            EXPECT_EQ(s.prompts.asked, c.asked);
            EXPECT_EQ(active(), c.activeAfter);
            EXPECT_EQ(s.model.Tabs().Find("#a") >= 0, c.channelTabLeft);
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

} // namespace
