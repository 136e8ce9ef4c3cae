#include "SessionFakes.h"
#include "dcc/ListenPort.h"
#include "session/ChatOffers.h"
#include "session/DccOffers.h"
#include "session/Session.h"
#include "session/TemplateRun.h"
#include "support/CaseFile.h"
#include "support/Loopback.h"
#include "support/ScriptedProxy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <cstdlib>

using namespace pell;
using namespace pell::session;
using namespace pell::session::testing;

namespace {

// A session model and its commands over an engine on a scripted server; sent() gives the
// exact lines written.
class Commands : public ::testing::Test, protected WiredSession {
protected:
    // How often "Main" said that a line could not go out since the last call.
    int refusals()
    {
        int count = 0;
        for (const std::string& line : newLines())
            count += line == "Main|<System>:Nicht mit Server verbunden.|system";
        return count;
    }

    // Tab #a, active, with a nick list holding @bob alone.
    void onChannelWithBob()
    {
        s.model.Tabs().NewChannel("#a");
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
            {"Op", [&] { c.Op(row); }}, {"DeOp", [&] { c.DeOp(row); }}, {"Ban", [&] { c.Ban(row); }}, {"Kick", [&] { c.Kick(row); }},
            {"Ignore", [&] { c.Ignore(row); }}, {"Unignore", [&] { c.Unignore(row); }}, {"OpenQuery", [&] { c.OpenQuery(row); }},
            {"SelectIgnore", [&] { s.model.SelectIgnoreEntry(row); }}, {"DeleteIgnore", [&] { c.DeleteIgnoreEntry(); }}};
        ASSERT_EQ(buttons.count(name), 1u) << line;
        buttons.at(name)();
    }
    std::string active() { return s.model.Tabs().Active().Caption; }

    WiredSession& s = *this;
    TemplateRun run{irc, commands, s.settings, s.prompts};
};

// Table: tests/data/session/commands-enter.txt.
TEST_F(Commands, EnterAndActionEchoOnTheActiveTabAndSend)
{
    connect();
    for (const auto& c : test::readCases("session/commands-enter.txt")) {
        SCOPED_TRACE(c.name);
        const std::string echoTab = c.one("echo-tab");
        const bool action = c.one("press", "Enter") == "Action";
        s.model.Tabs().NewChannel(c.one("tab"));
        s.model.ClearActive();
        if (const int index = s.model.Tabs().Find(echoTab); index >= 0)
            s.model.Tabs().At(index).Text->Clear();
        commands.SetInputLine(c.one("typed"));
        if (action)
            commands.Action();
        else
            commands.Enter();
        EXPECT_EQ(sent(), c.lines("wire"));
        EXPECT_EQ(active(), echoTab);
        EXPECT_EQ(s.linesOf(echoTab), c.lines("echo"));
        const Rgb colour = s.model.Tabs().At(s.model.Tabs().Find(echoTab)).Text->back().BaseColour();
        EXPECT_EQ(colour, static_cast<Rgb>(action ? s.settings.ActionColour : s.settings.OwnColour));
        EXPECT_EQ(commands.InputLine(), "");
        EXPECT_EQ(commands.History().Lines().back(), c.one("typed"));
    }
    EXPECT_EQ(refusals(), 0);
}

// Offline, Enter keeps the text in the box and still remembers it; Action does nothing.
TEST_F(Commands, OfflineTheLineIsKeptAndRememberedAndWindowCommandsStillWork)
{
    commands.SetInputLine("a");
    commands.HistoryUp(); // nothing to go back to
    EXPECT_EQ(commands.InputLine(), "a");
    commands.Enter();
    commands.SetInputLine("see www.example.org");
    commands.Enter();
    EXPECT_EQ(commands.InputLine(), "see www.example.org");
    EXPECT_EQ(s.shared.Addresses.size(), 1u);
    commands.HistoryUp();
    EXPECT_EQ(commands.InputLine(), "see www.example.org");
    commands.HistoryDown();
    EXPECT_EQ(commands.InputLine(), "a");
    EXPECT_EQ(s.view.inputShown, (Lines{"a", "see www.example.org", "a"}));
    commands.SetInputLine("waves");
    commands.Action();
    EXPECT_EQ(commands.InputLine(), "waves");
    EXPECT_EQ(commands.History().Lines(), (Lines{"a", "see www.example.org"}));
    EXPECT_EQ(s.linesOf("Main"), Lines{});

    // /clear, /help, /query and /close need no server; /msg offline keeps its text.
    int helps = 0;
    commands.OwnCommands().ShowHelp = [&] { ++helps; };
    s.model.Tabs().NewChannel("#a");
    s.model.AddText("#a", "bob", "hi", 0);
    for (const char* typed : {"/clear", "/help", "/query dave", "/msg bob hi"}) {
        commands.SetInputLine(typed);
        commands.Enter();
    }
    EXPECT_EQ(s.linesOf("#a"), Lines{});
    EXPECT_EQ(helps, 1);
    EXPECT_EQ(active(), "dave");
    EXPECT_EQ(commands.InputLine(), "/msg bob hi");
    commands.SetInputLine("/close");
    commands.Enter();
    EXPECT_EQ(s.model.Tabs().Find("dave"), -1);
    EXPECT_EQ(sent(), Lines{});
    EXPECT_EQ(refusals(), 0);
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
            refusals();
            s.prompts.asked.clear();
            for (const auto& nick : Lines(s.model.Ignores().Entries()))
                s.model.UnignoreNick(nick);
            const Lines answers = c.lines("answer");
            s.prompts.textAnswers.assign(answers.begin(), answers.end());
            for (const auto& button : c.lines("press"))
                press(button);
            EXPECT_EQ(sent(), online ? c.lines("wire") : Lines{});
            EXPECT_EQ(refusals(), online ? 0 : std::stoi(c.one("refused", "0")));
            EXPECT_EQ(s.prompts.asked, c.lines("asked"));
            EXPECT_EQ(active(), c.one("active"));
            EXPECT_EQ(s.model.Tabs().Find("#a") < 0, c.has("closes"));
            EXPECT_EQ(s.model.Ignores().Entries(), c.lines("ignores"));
            if (!online)
                irc.SetNick("me"); // offline the engine takes a new nick at once
        }
    }
}

// Bob differs from the tracked bob by case only; zed is not tracked at all.
TEST_F(Commands, InfoShowsTheTrackedUserWhoseNickMatchesExactly)
{
    connect(); // the own record comes first
    irc.HandleLine(":me!m@host JOIN #a");
    irc.Users.Add("bob", "b@example.org");
    s.model.Tabs().NewChannel("#a");
    s.model.Tabs().RefillNickList("#a", {"Bob", "zed", "bob", "me"}, {0, 0, 2, 1});
    ASSERT_EQ(s.model.Tabs().Active().Nicks->Entries(), (Lines{"@me", "+bob", "Bob", "zed"}));
    for (const auto& [row, shown] : std::vector<std::pair<int, std::string>>{
             {2, ""}, {3, ""}, {0, "me|m@host|0"}, {1, "bob|b@example.org|1"}}) {
        commands.Info(row);
        EXPECT_EQ(userInfo.Visible() ? userInfo.Nick() + "|" + userInfo.Address() + "|" + userInfo.Id() : "", shown);
        userInfo.Close();
    }
}

// The delay decides whether the send timer runs; offline a tick ends the run.
// Before each tick a tab may be switched to ("" stays); each tick sends one line to the
// tab active then, as the input line would (a command runs), an empty line being a pause
// that does not end the run.
TEST_F(Commands, TheDelayStartsTheSendTimerAndEachTickSendsOneLineToTheTabThatIsActiveThen)
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
    s.settings.ScriptDelay = "2500";
    connect();
    const std::string M = settings::TemplateStore::Marker;
    run.Run(settings::TemplateStore({M, "greet", "hi carol", "", "/away lunch", "plain", "#room", "hi room", "/me waves", "bye"}),
            "greet");
    for (const auto& [tab, wire] : std::vector<std::pair<std::string, Lines>>{
             {"carol", {"PRIVMSG carol :hi carol"}}, {"", {}}, {"", {"away lunch"}}, {"Main", {}},
             {"carol", {"JOIN #room"}}, {"", {"PRIVMSG #room :hi room"}},
             {"", {"PRIVMSG #room :\x01" "ACTION waves\x01"}}, {"carol", {"PRIVMSG carol :bye"}}}) {
        if (!tab.empty())
            s.model.Tabs().NewChannel(tab);
        run.onSendTimerTick();
        EXPECT_EQ(sent(), wire) << tab;
        EXPECT_TRUE(run.SendTimerRunning());
    }
    EXPECT_EQ(s.linesOf("Main").back(), "<System>:Plain text cannot be sent from the tab Main: only /commands work here");
    run.onSendTimerTick();
    EXPECT_FALSE(run.SendTimerRunning());
}

// Registered as "me"; the default colours differ for each kind of line.
struct EventsHarness : WiredSession {
    EventsHarness()
    {
        connect();
        serverSends({":srv 001 me :Welcome"});
        EXPECT_EQ(newLines(), Lines{"Main|<srv>:Welcome|system"});
    }
};

// The table is tests/data/session/events.txt; its head says what each key means.
TEST(SessionEvents, EachEventWritesItsLineAndKeepsTheNickLists)
{
    for (const bool german : {false, true}) {
        for (const auto& c : test::readCases("session/events.txt")) {
            if (german && !c.has("de"))
                continue;
            SCOPED_TRACE(c.name + (german ? " (German)" : ""));
            EventsHarness h;
            h.settings.Language = german ? settings::Language::German : settings::Language::English;
            h.settings.FlashOnMessage = c.has("flashes");
            // Both channels joined, #b joined last: it is the current channel and the active tab.
            h.model.Tabs().NewChannel("#a");
            h.model.Tabs().NewChannel("#b");
            h.serverSends({":me!m@h JOIN :#a", ":srv 353 me = #a :me @bob +amy cy", ":srv 366 me #a :End of NAMES list",
                           ":me!m@h JOIN :#b", ":srv 353 me = #b :me bob amy", ":srv 366 me #b :End of NAMES list"});
            h.newLines();
            if (c.has("ignore"))
                h.model.IgnoreNick(c.one("ignore"));
            if (c.has("closed"))
                h.model.Tabs().CloseTab(h.model.Tabs().Find(c.one("closed")));
            h.serverSends(c.lines("in"));
            EXPECT_EQ(h.newLines(), c.lines(german ? "de" : "out"));
            EXPECT_EQ(h.nicksOf("#a") + "|" + h.nicksOf("#b") + "|" + h.nicksOf("#c"),
                      c.one("nicks", "@bob +amy cy me|amy bob me|"));
            EXPECT_EQ(h.model.Tabs().Active().Caption, c.one("active", "#b"));
            EXPECT_EQ(h.shared.Addresses.ToVector(), c.lines("address"));
            EXPECT_EQ(h.desktop.flashes, std::stoi(c.one("flashes", "0")));
            EXPECT_EQ(h.model.ChannelBox().Items(), c.lines("box"));
            EXPECT_EQ(h.model.Caption() + "|" + h.model.CurrentChannel(), c.one("caption", "Net [#b]|#b"));
            EXPECT_EQ(h.desktop.notified, c.lines(german && c.has("notifies-de") ? "notifies-de" : "notifies"));
            std::string mentioned;
            for (int i = 0; i < h.model.Tabs().Count(); ++i)
                if (h.model.Tabs().At(i).Activity == TabActivity::Mention)
                    mentioned += h.model.Tabs().At(i).Caption;
            EXPECT_EQ(mentioned, c.one("mentions"));
        }
    }
}

// One line of tests/data/session/servers.txt's "in": a recorded server line, or what the
// user does or checks between them (the table's head says which).
void play(WiredSession& h, const std::string& line)
{
    const std::size_t start = line.find(' ') + 1;
    const std::size_t blank = line.find(' ', start);
    if (line == "!seen") {
        h.newLines();
        h.sent();
    } else if (line == "!hangup") {
        h.server->Hangup();
        h.session->Lifecycle().onStatusTick();
    } else if (line.starts_with("!type ")) {
        h.model.UserSelectsTab(h.model.Tabs().Find(line.substr(start, blank - start)));
        h.commands.SetInputLine(line.substr(blank + 1));
        h.commands.Enter();
    } else if (line.starts_with("!nicks ")) {
        EXPECT_EQ(h.nicksOf(line.substr(start, blank - start)), line.substr(blank + 1)) << line;
    } else {
        h.serverSends({line});
    }
}

TEST(SessionEvents, RecordedServerLinesShowTheWayTheyHappened)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    for (const bool german : {false, true}) {
        for (const auto& c : test::readCases("session/servers.txt")) {
            if (german && !c.has("de"))
                continue;
            SCOPED_TRACE(c.name + (german ? " (German)" : ""));
            WiredSession h("pell");
            h.settings.Language = german ? settings::Language::German : settings::Language::English;
            h.connect();
            for (const std::string& line : c.lines("in"))
                play(h, line);
            EXPECT_EQ(h.newLines(), c.lines(german ? "de" : "out"));
            EXPECT_EQ(h.sent(), c.lines("wire"));
            EXPECT_EQ(h.model.Tabs().Active().Caption, c.one("active", "Main"));
            EXPECT_EQ(h.model.StatusPanel(1), c.one("status", "pell"));
        }
    }
}

// A handler that fails drops its line only; a few failures are reported, the rest not.
// Every received line, handled or not, is logged raw and selected.
TEST(SessionEvents, AFailingHandlerIsReportedAndTheNextLineHandled)
{
    EventsHarness h;
    h.view.failOn = "Ping Pong";
    h.serverSends(std::vector<std::string>(8, "PING :x"));
    h.serverSends({":bob!b@h PRIVMSG #a :hello", ":srv 372 me :- still here"});
    const Lines shown = h.newLines();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Main|<System>:A line from the server could not be handled: broken|system"), 5);
    EXPECT_EQ(shown.back(), "Main|<srv>:- still here|system");
    const Lines log = h.model.Raw().Entries().ToVector();
    EXPECT_EQ(Lines(log.end() - 2, log.end()), (Lines{"bob: $$$ Command: PRIVMSG$$$ Conntent: #a :hello",
                                                      ": $$$ Command: 372$$$ Conntent: me :- still here"}));
    EXPECT_EQ(h.model.Raw().Selected(), static_cast<int>(log.size()) - 1);
}

namespace fs = std::filesystem;

struct DccOffersTest : ::testing::Test, EventsHarness {
    test::TempFolder root;
    DccOffers& offers = session->Offers();
    ChatOffers& chats = session->Chats();

    DccOffersTest() { offers.DefaultDownloadFolder = root.path().string(); }

    // The requests as bob sends them, in one burst from the server, and then the GUI
    // thread's turn; the lines they leave in "Main".
    std::vector<std::string> burst(const std::vector<std::string>& requests)
    {
        std::vector<std::string> lines;
        for (const std::string& words : requests)
            lines.push_back(":bob!b@h PRIVMSG me :\x01" "DCC " + words + "\x01");
        server->Say(lines);
        gui.pump();
        std::vector<std::string> shown;
        for (const auto& line : newLines())
            shown.push_back(line.substr(line.find('|') + 1));
        return shown;
    }
};

// Table: tests/data/session/dcc-offers.txt.
TEST_F(DccOffersTest, RequestsAreJudgedByListsModeAndWhatCanBeReached)
{
    for (const auto& c : test::readCases("session/dcc-offers.txt")) {
        SCOPED_TRACE(c.name);
        settings.DownloadMode = static_cast<settings::DownloadMode>(std::stoi(c.one("mode")));
        settings.Language = c.has("german") ? settings::Language::German : settings::Language::English;
        prompts.yesNoAnswers = {c.one("answer") == "yes"};
        if (c.has("file")) // stored before, with as many bytes as "stored" says
            std::ofstream(root / c.one("file")) << std::string(std::stoul(c.one("stored")), 'p');
        settings.OfferFilesPassively = c.has("passive");
        settings.FirstDccPort = c.has("listen") ? c.one("listen") : "";
        settings.LastDccPort = settings.FirstDccPort;
        server->Written();
        if (c.has("offer")) { // our offer of a file of 100 bytes to the nick
            std::ofstream(root / "our file.bin") << std::string(100, 'o');
            offers.OfferFile(c.one("offer"), (root / "our file.bin").string());
            newLines();
        }
        const std::string port = offers.Sends().empty() ? "" : std::to_string(offers.Sends().back()->Port);
        const std::string token = offers.Sends().empty() ? "" : offers.Sends().back()->Token;
        const auto withPort = [&port, &token](Lines lines) {
            for (std::string& line : lines) {
                if (const auto at = line.find("{port}"); at != std::string::npos)
                    line.replace(at, 6, port);
                if (const auto at = line.find("{token}"); at != std::string::npos)
                    line.replace(at, 7, token);
            }
            return lines;
        };
        EXPECT_EQ(burst(withPort(c.lines("words"))), withPort(c.lines("line")));
        EXPECT_EQ(server->Written(), withPort(c.lines("sent")));
        if (c.has("question")) {
            EXPECT_EQ(prompts.asked.back(), c.one("question"));
        }
        EXPECT_EQ(offers.Downloads().size(), std::stoul(c.one("downloads")));
        EXPECT_EQ(chats.Chats().size(), std::stoul(c.one("chats")));
        EXPECT_EQ(prompts.asked.size(), std::stoul(c.one("asked")));
    }
    EXPECT_EQ(prompts.asked.at(0), "Confirm|Download notes.txt(12) from bob(2130706433)");
    EXPECT_EQ(prompts.asked.at(3), "Confirm|Accept Directchat with bob(2130706433)");
    EXPECT_EQ(chats.Chats().at(1)->Host, "127.0.0.1");
    EXPECT_EQ(chats.Chats().at(1)->Port, 59);
}

// A question is asked once the reader's burst has returned, in a box that holds nothing:
// while it is open the session answers PINGs, shows lines and drops further offers.
TEST_F(DccOffersTest, AnOpenQuestionHoldsNeitherTheBurstNorTheSession)
{
    settings.DownloadMode = settings::DownloadMode::Ask;
    prompts.holdOpen = true;
    server->Say({":bob!b@h PRIVMSG me :\x01" "DCC SEND a.txt 2130706433 1 1\x01", "PING :first"});
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(server->Written(), Lines{"PONG :first"});
    gui.pump();
    EXPECT_EQ(prompts.asked, Lines{"Confirm|Download a.txt(1) from bob(2130706433)"});
    newLines();
    EXPECT_EQ(burst({"SEND b.txt 2130706433 1 1"}), (Lines{"<System>:DCC Recieve: from bob(2130706433:1):b.txt:1|system",
                                                            "<System>:DCC dropped: from bob(2130706433:1):b.txt:1|system"}));
    server->Say({"PING :second", ":bob!b@h PRIVMSG me :still there?"});
    EXPECT_EQ(server->Written(), Lines{"PONG :second"});
    EXPECT_EQ(newLines().back(), "bob|<bob>:still there?|mention");
    prompts.answer(true);
    EXPECT_EQ(offers.Downloads().size(), 1u);
    burst({"SEND c.txt 2130706433 1 1"}); // the next offer is asked again
    EXPECT_EQ(prompts.asked.size(), 2u);
}

// A full session drops an offer before it asks anything.
TEST_F(DccOffersTest, CapsAreCheckedBeforeAnyQuestion)
{
    settings.DownloadMode = settings::DownloadMode::Download;
    for (std::size_t i = 0; i < DccOffers::MaxDownloads; ++i)
        burst({"SEND f.txt 2130706433 1 1"});
    settings.DownloadMode = settings::DownloadMode::Ask;
    EXPECT_EQ(burst({"SEND g.txt 2130706433 1 1"}).back(), "<System>:DCC dropped: from bob(2130706433:1):g.txt:1|system");
    prompts.yesNoAnswers = std::deque<bool>(ChatOffers::MaxChats, true);
    for (std::size_t i = 0; i < ChatOffers::MaxChats; ++i)
        burst({"CHAT chat 2130706433 1"});
    EXPECT_EQ(burst({"CHAT chat 2130706433 1"}).back(), "<System>:DCC chat dropped: bob: too many chats open|system");
    EXPECT_EQ(prompts.asked.size(), ChatOffers::MaxChats);
}

// Offers name the address the server sees once it has answered, the typed one when it is
// an address; otherwise they say so and name ours.
TEST_F(DccOffersTest, OffersNameTheAddressTheOptionsChoose)
{
    std::ofstream(root / "f.txt") << "f";
    settings.OfferAddress = settings::OfferAddress::AsServerSees;
    offers.AskSeenAddress();
    EXPECT_EQ(server->Written(), Lines{"USERHOST me"});
    server->Say({":srv 302 me :me=+u@127.0.0.5", ":srv 302 me :other=+o@127.0.0.6"});
    EXPECT_EQ(newLines(), Lines{"Main|<srv>:other=+o@127.0.0.6|system"});
    offers.OfferFile("bob", (root / "f.txt").string());
    EXPECT_EQ(sent().back(), "PRIVMSG bob :\x01" "DCC SEND f.txt 2130706437 " + std::to_string(offers.Sends().back()->Port) + " 1\x01");
    settings.OfferAddress = settings::OfferAddress::Typed;
    settings.TypedOfferAddress = "[::1]";
    EXPECT_EQ(offers.LocalAddress(), "::1");
    settings.TypedOfferAddress = "my.router";
    EXPECT_EQ(offers.LocalAddress(), "127.0.0.1");
    EXPECT_EQ(newLines().back(), "Main|<System>:DCC: my.router is no address; offers name 127.0.0.1|system");
    offers.AskSeenAddress(); // a new registration forgets what the server said
    settings.OfferAddress = settings::OfferAddress::AsServerSees;
    EXPECT_EQ(offers.LocalAddress(), "127.0.0.1");
    EXPECT_EQ(newLines().back(), "Main|<System>:DCC: the server has not said which address it sees; offers name 127.0.0.1|system");
}

// Nothing is announced before the listener works: no notice, no request.
TEST_F(DccOffersTest, OffersGoOutOnlyOnceTheirListenerWorks)
{
    std::ofstream(root / "a b.txt") << "twelve bytes";
    const std::string file = (root / "a b.txt").string();
    offers.OfferFile("bob", (root / "missing").string());
    EXPECT_EQ(prompts.errors.size(), 1u);
    const int saved = std::exchange(dcc::NextListenPort(), 50001);
    offers.OfferFile("bob", file);
    chats.OfferChat("amy");
    EXPECT_EQ(linesOf("Main").back(), "<System>:DCC chat failed: no free port for amy");
    EXPECT_EQ(sent(), Lines{});
    dcc::NextListenPort() = 20000 + ::getpid() % 20000;
    chats.OfferChat("amy");
    dcc::NextListenPort() = saved;
    const std::string chatPort = std::to_string(chats.Listeners().back()->Port);
    EXPECT_EQ(sent(), (Lines{"NOTICE amy :DCC CHAT  (127.0.0.1)",
                             "PRIVMSG amy :\x01" "DCC CHAT chat 2130706433 " + chatPort + "\x01"}));
}

// Sessions on a hand-pumped GUI thread, reporting to the fixture's recording ports.
struct Lifecycle : RecordingPorts {
    test::EventQueue gui;
    UserInfoModel userInfo;
    std::vector<std::unique_ptr<Session>> sessions; // last: they go before the ports

    static settings::ServerProfile profile(int port, const std::string& nick = "alice")
    {
        return {{.Nick = nick, .RealName = "Alice A", .Username = "al"}, "Test net", "127.0.0.1", port};
    }
    // With a handle, the session's server is scripted (and the handle points at it).
    Session& open(const settings::ServerProfile& pending, const std::function<void(SessionModel&)>& attachView = {},
                  test::ScriptedTransport** scripted = nullptr)
    {
        SessionContext context{gui, settings, shared, ports(), userInfo};
        if (scripted)
            context.Transport = [scripted] { return test::ScriptedTransport::Make(*scripted); };
        return *sessions.emplace_back(std::make_unique<Session>(context, pending, attachView));
    }
    // The status panel after a tick of the status timer.
    static std::string status(Session& s, int panel = 0)
    {
        s.Lifecycle().onStatusTick();
        return s.Model().StatusPanel(panel);
    }
    bool until(const std::function<bool()>& condition) { return gui.pumpUntil(condition); }
};

// The engine takes the profile, the fixed client values and the proxy route (table:
// tests/data/session/proxy-route.txt). Reconnect then keeps the route without reading it again.
TEST(LifecycleCreation, TheEngineTakesTheProfileAndTheProxySettingsChooseTheRoute)
{
    for (const auto& c : test::readCases("session/proxy-route.txt")) {
        SCOPED_TRACE(c.name);
        const bool auth = c.has("auth"), bad = c.has("error");
        const int socksPort = std::stoi(c.one("socks-port"));
        Lifecycle f;
        f.settings.ProxyHost = c.one("host");
        f.settings.ProxyPort = c.one("port");
        f.settings.ProxyType = static_cast<settings::ProxyType>(std::stoi(c.one("type")));
        f.settings.ProxyNeedsAuth = auth;
        f.settings.Language = auth ? settings::Language::German : settings::Language::English;
        settings::ServerProfile p = Lifecycle::profile(test::freePort(), "bob");
        p.Password = "sesame";
        p.Invisible = p.Wallops = auth; // each user mode flag both set and not
        p.Operator = p.ServerNotice = !auth;
        Session& s = f.open(p);
        irc::Client& e = s.Engine();
        const net::SocksSettings& socks = e.Socks;
        // The steps before a failing one stand.
        EXPECT_EQ(std::to_string(static_cast<int>(socks.Version)) + "|" +
                      std::to_string(static_cast<int>(socks.Authentication)) + "|" + socks.Host,
                  c.one("version") + "|" + c.one("login") + "|" + c.one("host"));
        EXPECT_EQ(socks.Port, socksPort);
        EXPECT_EQ(e.UserMode(), auth ? irc::user_mode::Invisible | irc::user_mode::Wallops : irc::user_mode::Operator | irc::user_mode::ServerNotices);
        EXPECT_EQ(s.Model().ServerName() + "|" + s.Model().Caption() + "|" + s.Model().CurrentChannel(), "Test net|Test net|Main");
        EXPECT_EQ(e.Nick() + "|" + e.Username + "|" + e.RealName + "|" + e.Password + "|" + e.Host + "|" + e.AltNick + "|"
                      + e.Replies.Version + "|" + e.Replies.ClientInfo + "|" + std::to_string(e.Port),
                  "bob|al|Alice A|sesame|127.0.0.1|OtherNick|Tarn-IRC|Tarn-IRC|" + std::to_string(p.Port));
        EXPECT_EQ(s.Lifecycle().GermanCaptions(), auth);
        EXPECT_TRUE(s.Lifecycle().StatusTimerRunning());
        EXPECT_FALSE(s.Lifecycle().CloseTimerRunning());
        EXPECT_EQ(f.prompts.errors, c.lines("error"));
        EXPECT_EQ(e.ConnectPending(), !bad);
        f.settings.ProxyPort = "1";
        s.Lifecycle().Reconnect();
        EXPECT_TRUE(e.ConnectPending());
        EXPECT_EQ(socks.Port, socksPort);
        EXPECT_EQ(f.prompts.errors.size(), bad ? 1u : 0u);
    }
}

// A session on a scripted server that has taken the registration lines.
struct OnScript : Lifecycle, ::testing::Test {
    test::ScriptedTransport* server = nullptr;
    Session* s = nullptr;
    Lines attached; // the window is attached before anything is configured

    void SetUp() override
    {
        s = &open(profile(6667), [this](SessionModel& model) { attached.push_back("attached " + model.ServerName()); }, &server);
        server->Finish();
        ASSERT_EQ(server->Written().size(), 3u); // CAP LS, NICK and USER
    }
};

TEST_F(OnScript, StatusFollowsTheConnectionAndCloseAsksOnceQuitsAgainOnTheTimerUntilTheServerHasGone)
{
    EXPECT_EQ(s->Model().StatusPanel(0) + "|" + s->Model().StatusPanel(1), "Connected|alice"); // before registering
    EXPECT_EQ(status(*s) + "|" + status(*s, 2), "Connecting|Main");
    server->Say({":srv 001 alice :Welcome"});
    EXPECT_EQ(status(*s), "Connected");
    s->Lifecycle().Reconnect(); // while connected: quits with an empty reason
    EXPECT_EQ(server->Written(), Lines{"QUIT :"});
    int requests = 0;
    bool closed = false;
    s->Lifecycle().RequestClose = [&] { ++requests, closed = s->Lifecycle().CloseRequest(); };
    prompts.textAnswers.push_back(""); // an empty reason
    EXPECT_FALSE(s->Lifecycle().CloseRequest());
    EXPECT_EQ(shared.QuitReason, " ");
    EXPECT_EQ(server->Written(), Lines{"QUIT : "});
    EXPECT_TRUE(s->Lifecycle().CloseTimerRunning());
    s->Lifecycle().onCloseTimer(); // the server keeps the connection
    EXPECT_EQ(requests, 1);
    EXPECT_FALSE(closed);
    EXPECT_EQ(server->Written(), Lines{"QUIT : "});
    server->Hangup();
    EXPECT_EQ(status(*s), "Disonnected");
    s->Lifecycle().onCloseTimer();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(s->Lifecycle().CloseTimerRunning());
    EXPECT_TRUE(s->Lifecycle().CloseRequest()); // not connected: at once, and the reason is not asked again
    EXPECT_EQ(prompts.asked, Lines{"Reason|Reason:|"});
    EXPECT_TRUE(prompts.errors.empty());
}

// The presentation's own line for a taken nick comes before the lifecycle's prompt.
TEST_F(OnScript, BothNicksTakenAskForANewNickAndCancellingEndsTheConnection)
{
    EXPECT_EQ(attached, Lines{"attached "}); // the server's name comes later
    prompts.textAnswers.push_back("carol");
    std::string shownAtPrompt;
    prompts.whileOpen = [&] { shownAtPrompt = std::get<1>(view.lines.back()); };
    server->Say({":srv 433 * alice :Nickname already in use"});
    EXPECT_EQ(server->Written(), Lines{"NICK OtherNick"});
    server->Say({":srv 433 * OtherNick :Nickname already in use"});
    EXPECT_EQ(shownAtPrompt, "<System>:Nick is in use: OtherNick");
    EXPECT_EQ(prompts.asked, Lines{"New Nick|New Nick|"});
    EXPECT_EQ(server->Written(), Lines{"NICK carol"});
    server->Say({":srv 433 * carol :Nickname already in use"}); // asked again, and cancelled
    EXPECT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(s->Engine().State(), irc::ClientState::Disconnected);
    EXPECT_EQ(status(*s), "Disonnected");
}

// The connect waits on a proxy that accepts but never answers, or in the TCP handshake:
// the GUI thread goes on with its queue, its timer ticks and the buttons, and a close
// abandons the connect at once and silently.
TEST(LifecycleWaiting, TheGuiThreadRunsOnDuringAConnectAndACloseAbandonsIt)
{
    for (const bool viaProxy : {true, false}) {
        SCOPED_TRACE(viaProxy);
        Lifecycle f;
        test::ScriptedProxy proxy({}, test::ScriptedProxy::End::Hold);
        test::StalledListener stalled;
        if (viaProxy) {
            f.settings.ProxyHost = "127.0.0.1";
            f.settings.ProxyPort = std::to_string(proxy.port());
            f.settings.ProxyType = settings::ProxyType::Socks5;
        }
        Session& s = f.open(Lifecycle::profile(viaProxy ? 6667 : stalled.port()));
        bool ran = false;
        f.gui.post([&] { ran = true; });
        ASSERT_TRUE(f.until([&] { return ran; }));
        if (viaProxy) {
            ASSERT_TRUE(f.until([&] { return proxy.accepted(); }));
        }
        EXPECT_EQ(Lifecycle::status(s), "Connecting");
        s.Lifecycle().Reconnect(); // ignored: one connect at a time
        EXPECT_TRUE(s.Engine().ConnectPending());
        EXPECT_TRUE(s.Lifecycle().CloseRequest());
        EXPECT_FALSE(s.Engine().ConnectPending());
        EXPECT_EQ(s.Engine().State(), irc::ClientState::Disconnected);
        f.gui.pump();
        EXPECT_TRUE(f.prompts.errors.empty());
        f.sessions.clear(); // the window goes
    }
}

// After a failed connect the engine stays in its connecting state; the status must not.
TEST(LifecycleWaiting, AFailedConnectIsShownAndReadsDisconnected)
{
    Lifecycle f;
    Session& s = f.open(Lifecycle::profile(test::freePort()));
    ASSERT_TRUE(f.until([&] { return !s.Engine().ConnectPending(); }));
    EXPECT_EQ(f.prompts.errors, Lines{"Socket-Fehler # 111\r\nConnection refused"});
    EXPECT_EQ(s.Engine().State(), irc::ClientState::Connecting);
    EXPECT_EQ(Lifecycle::status(s), "Disonnected");
}

} // namespace

// Table: tests/data/session/client-commands.txt.
TEST_F(Commands, TheClientsOwnCommandsAndTheFixedTabsSendAndShowWhatTheTableSays)
{
    connect();
    for (const auto& c : test::readCases("session/client-commands.txt")) {
        SCOPED_TRACE(c.name);
        s.settings.Language = c.one("language") == "1" ? settings::Language::German : settings::Language::English;
        const std::string typed = c.one("typed");
        s.model.Tabs().NewChannel(c.one("tab"));
        if (c.has("left"))
            s.model.ChannelLeft(c.one("tab"));
        newLines();
        commands.SetInputLine(typed);
        if (c.one("press") == "Action")
            commands.Action();
        else
            commands.Enter();
        EXPECT_EQ(sent(), c.lines("wire"));
        EXPECT_EQ(active(), c.one("active", c.one("tab")));
        EXPECT_EQ(commands.InputLine(), c.has("kept") ? typed : "");
        EXPECT_EQ(s.model.Tabs().Find(c.one("tab")) < 0, c.has("closed"));
        const Lines shown = newLines();
        if (c.has("line")) {
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.back(), c.one("shows") + "|" + c.one("line") + "|" + c.one("colour"));
        }
    }
}

// Table: tests/data/session/completion.txt.
TEST_F(Commands, TabCompletesNicksAndChannelsAsTheTableSays)
{
    s.model.Tabs().NewChannel("#a");
    s.model.Tabs().NewChannel("#b");
    for (const auto& c : test::readCases("session/completion.txt")) {
        SCOPED_TRACE(c.name);
        onChannelWithBob();
        s.model.Tabs().RefillNickList("#a", {"alice", "bob", "Bobby", "carol", "[away]"}, {1, 0, 0, 0, 0});
        s.model.Speakers().Forget();
        for (const std::string& nick : c.lines("spoke"))
            s.model.Speakers().Spoke("#a", nick);
        commands.Completion().Mapping = CaseMappingNamed(c.one("mapping", "rfc1459"));
        const std::string typed = c.one("typed");
        std::size_t cursor = typed.find('|');
        commands.SetInputLine(typed.substr(0, cursor) + typed.substr(cursor + 1));
        const Lines keys = c.lines("keys");
        const Lines shows = c.lines("shows");
        ASSERT_EQ(keys.size(), shows.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            commands.Complete(cursor, keys[i] == "Shift+Tab");
            if (s.view.inputShown.size() > 0 && s.view.inputShown.back() == commands.InputLine())
                cursor = s.view.inputCursor;
            std::string shown = commands.InputLine();
            EXPECT_EQ(shown.insert(cursor, "|"), shows[i]);
        }
        s.view.inputShown.clear();
    }
}
