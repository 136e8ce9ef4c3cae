#include "SessionFakes.h"
#include "session/AddressList.h"
#include "session/ChannelInText.h"
#include "session/ChannelListLine.h"
#include "session/IgnoreList.h"
#include "session/InputHistory.h"
#include "session/LineFormatter.h"
#include "session/LineTime.h"
#include "session/LogWriter.h"
#include "session/Mentions.h"
#include "session/NickPrefix.h"
#include "session/RtfFile.h"
#include "session/RtfWriter.h"
#include "session/SessionTabs.h"
#include "session/StringList.h"
#include "session/TextFind.h"
#include "session/WebLinks.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>

using namespace pell::session;
using namespace pell::session::testing;

namespace {

// Small text functions, input to output: tests/data/session/mappings.txt.
TEST(TextFunctions, ReturnWhatTheTableSays)
{
    const std::map<std::string, std::function<std::string(std::string)>> functions = {
        {"channel-in-text", [](std::string rest) {
             std::string channel = "before";
             const bool taken = TakeChannelFromText(channel, rest);
             return std::to_string(taken) + "|" + channel + "|" + rest;
         }},
        {"nick-prefix", [](std::string entry) { return StripNickPrefix(entry) + "|" + NickPrefixOf(entry); }},
        {"rtf-name", [](std::string chosen) { return RtfFileName(chosen); }},
        {"channel-from-list", [](std::string line) { return std::string(ChannelFromListLine(line)); }},
        {"input-history", [](std::string keys) {
             InputHistory history;
             std::string seen;
             for (char key : keys)
                 key == 'U' || key == 'D' ? void(seen += (key == 'U' ? history.Back() : history.Forward()).value_or("-"))
                                          : history.Add(key == '_' ? "" : std::string(1, key));
             return seen;
         }}};
    for (const auto& c : pell::test::readCases("session/mappings.txt"))
        EXPECT_EQ(functions.at(c.name)(c.one("in")), c.one("out")) << c.name << " of " << c.one("in");
}

std::string captions(const SessionTabs& tabs)
{
    std::string result;
    for (int i = 0; i < tabs.Count(); ++i)
        result += (i ? " " : "") + tabs.At(i).Caption;
    return result + " (" + tabs.At(tabs.ActiveIndex()).Caption + ")";
}

// Table: tests/data/session/add-text.txt.
TEST(AddText, RoutesTheLineByTargetTextActiveTabAndIgnoreList)
{
    for (const auto& c : pell::test::readCases("session/add-text.txt")) {
        SCOPED_TRACE(c.name);
        const int select = std::stoi(c.one("select", "-1"));
        SessionFixture s;
        s.model.IgnoreNick("eve");
        for (const auto& channel : c.lines("channel"))
            s.model.Tabs().NewChannel(channel);
        if (select >= 0)
            s.model.UserSelectsTab(select);
        s.model.AddText(c.one("target"), c.one("nick"), c.one("text"), 7);
        Lines tabs;
        for (int i = 0; i < s.model.Tabs().Count(); ++i) {
            const std::string& caption = s.model.Tabs().At(i).Caption;
            for (const auto& line : s.linesOf(caption))
                tabs.push_back(caption + ":" + line);
        }
        tabs.push_back(captions(s.model.Tabs()));
        EXPECT_EQ(tabs, c.lines("tab"));
        EXPECT_EQ(s.model.CurrentChannel(), select >= 0 ? s.model.Tabs().At(select).Caption : "Main");
    }
}

TEST(SessionModel, ClearEmptiesTheActiveTextTabOnly)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#a");
    s.model.Tabs().RefillNickList("#a", {"bob"}, {0});
    s.model.AddText("Main", "bob", "x", 7);
    s.model.AddText("#a", "bob", "x", 7);
    s.model.ClearActive();
    EXPECT_TRUE(s.linesOf("#a").empty());
    EXPECT_EQ(s.model.Tabs().At(1).Nicks->Count(), 1);
    s.model.UserSelectsTab(2);
    s.model.ClearActive(); // the ignore tab has nothing to clear
    EXPECT_EQ(s.linesOf("Main").size(), 1u);
}

// Flashing on and off in the background is in events.txt; a window in front never flashes.
// Opening a link never takes the window down, whatever the desktop does.
TEST(SessionModel, DoesNotFlashInFrontAndOpensLinksWithWwwAsHttp)
{
    SessionFixture s;
    s.settings.FlashOnMessage = true;
    s.desktop.inFront = true;
    s.model.FlashOnMessage();
    EXPECT_EQ(s.desktop.flashes, 0);
    s.desktop.throwOnOpen = true;
    s.model.OpenLink("www.a.org");
    s.model.OpenLink("https://b.org");
    EXPECT_EQ(s.desktop.opened, (Lines{"http://www.a.org", "https://b.org"}));
}

TEST(Save, WritesTheActiveTabUnderItsRtfNameReplacingTheFileAndAFailureKeepsTheText)
{
    const pell::test::TempFolder folder;
    std::ofstream(folder / "log.rtf") << "previous content that is longer than the new one ............";
    SessionFixture s;
    s.model.AddText("Main", "bob", "new", 0);
    EXPECT_FALSE(s.model.SaveActive()); // cancelled
    s.saveDialog.answer = (folder / "missing" / "log").string();
    EXPECT_FALSE(s.model.SaveActive());
    EXPECT_EQ(s.prompts.errors.size(), 1u);
    EXPECT_NE(s.prompts.errors.at(0).find("missing/log.rtf"), std::string::npos);
    EXPECT_EQ(s.linesOf("Main").size(), 1u);
    s.saveDialog.answer = (folder / "log").string();
    EXPECT_TRUE(s.model.SaveActive());
    EXPECT_EQ(s.saveDialog.filterName + "|" + s.saveDialog.pattern, "Text|*.rtf");
    std::stringstream rtf;
    rtf << std::ifstream(folder / "log.rtf", std::ios::binary).rdbuf();
    EXPECT_EQ(rtf.str().find("previous"), std::string::npos);
    EXPECT_NE(rtf.str().find("<bob>:new"), std::string::npos);
    s.model.UserSelectsTab(1);
    EXPECT_FALSE(s.model.SaveActive()); // the ignore tab has no text
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1); // no .part left behind
}

// Each found link as "text=>target".
std::vector<std::string> linksIn(std::string_view text)
{
    std::vector<std::string> found;
    for (const auto& link : FindWebLinks(text))
        found.push_back(std::string(text.substr(link.Begin, link.Length)) + "=>" + link.Target);
    return found;
}

// Tables: tests/data/session/weblinks.txt and collect-urls.txt.
TEST(WebLinks, AllowedSchemesBecomeLinksAndTheRestStaysText)
{
    for (const auto& c : pell::test::readCases("session/weblinks.txt"))
        EXPECT_EQ(linksIn(c.one("text")), c.lines("link")) << c.name;
}

// Each row is collected on top of "www.old"; the list reads top first.
TEST(CollectUrls, FindsAddressesNewestFirstOnTopOfWhatIsThere)
{
    for (const auto& c : pell::test::readCases("session/collect-urls.txt")) {
        SCOPED_TRACE(c.name);
        const std::string text = c.one("text"), expected = c.one("list");
        AddressList list;
        int changes = 0;
        list.OnChanged = [&] { ++changes; };
        CollectUrls("www.old", list);
        CollectUrls(text, list);
        std::string shown;
        for (const auto& entry : list.ToVector())
            shown += entry + " ";
        EXPECT_EQ(shown, expected + (expected.empty() ? "" : " ") + "www.old ");
        EXPECT_EQ(changes, static_cast<int>(list.size())); // one report per address
    }
}

// Lines keep their bytes whatever their size and wherever the block boundaries fall; a
// long log is held compressed, yet every entry reads back, in any order, also when two
// lists share one arena and one of them is cleared.
TEST(StringArena, KeepsEveryEntryAcrossBlocksAndShrinksFilledOnes)
{
    StringList list(4096);
    std::vector<std::string> expected;
    for (int round = 0; round < 4; ++round)
        for (std::size_t size : {0, 1, 100, 5000, 1700, 9000, 5, 0, 4096, 4091, 4090, 127, 128, 16384, 1}) {
            std::string text(size, static_cast<char>('a' + expected.size() % 26));
            for (std::size_t i = 0; i < size; i += 7)
                text[i] = static_cast<char>(i * 31 + size); // bytes, not C strings, not all alike
            expected.push_back(text);
            list.push_back(expected.back());
        }
    auto shared = std::make_shared<StringArena>();
    StringList log(shared), text(shared, 75); // many of text's steps too long for its index
    std::vector<std::string> lines, texts;
    std::size_t raw = 0;
    for (int i = 0; i < 100000; ++i) {
        lines.push_back("nick" + std::to_string(i % 50) + ": $$$ Command: PRIVMSG$$$ Conntent: #c :line " + std::to_string(i));
        log.push_back(lines.back());
        texts.push_back("<nick> line " + std::to_string(i));
        text.push_back(texts.back());
        raw += lines.back().size();
    }
    EXPECT_LT(shared->StoredBytes(), raw / 2);
    for (std::size_t i : {99999, 0, 54321, 1, 99998})
        EXPECT_EQ(log[i], lines[i]) << "entry " << i;
    EXPECT_EQ(text.ToVector(), texts);
    text.clear();
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(log.ToVector(), lines);
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(list[i], expected[i]) << "entry " << i;
    EXPECT_EQ(list.ToVector(), expected);
    list.clear();
    list.push_back("again");
    EXPECT_EQ(list.ToVector(), std::vector<std::string>{"again"});
}

constexpr Rgb Base = RgbColour(0x12, 0x34, 0x56), Red = RgbColour(0xFF, 0, 0), Aqua = RgbColour(0, 0xFF, 0xFF),
              Navy = RgbColour(0, 0, 0x80), Blue = RgbColour(0, 0, 0xFF);

// A run as the data files write it: "text|colour" with "|bold", "|underline", "|italic".
std::string shown(const TextRun& run)
{
    std::string colour = std::to_string(run.Colour);
    for (const auto& [rgb, name] : {std::pair{Base, "base"}, {Red, "red"}, {Aqua, "aqua"}, {Navy, "navy"}, {Blue, "blue"}})
        colour = rgb == run.Colour ? name : colour;
    return run.Text + "|" + colour + (run.Bold ? "|bold" : "") + (run.Underline ? "|underline" : "") +
           (run.Italic ? "|italic" : "");
}

// The document body after the header: one "...\par" per line.
std::string bodyOf(const std::string& rtf)
{
    const auto start = rtf.find("\\fs20\n");
    return rtf.substr(start + 6, rtf.size() - start - 6 - 2);
}

// Tables: tests/data/session/format-line.txt and rtf.txt.
TEST(FormatLine, SplitsIntoRunsAtEveryCode)
{
    for (const auto& c : pell::test::readCases("session/format-line.txt")) {
        SCOPED_TRACE(c.name);
        const FormattedLine line = FormatLine(c.one("line"), Base);
        std::vector<std::string> runs;
        for (const auto& r : line.Runs())
            runs.push_back(shown(r));
        EXPECT_EQ(runs, c.lines("run"));
        EXPECT_EQ(line.BaseColour(), Base);
        std::string expected;
        for (const auto& r : c.lines("run"))
            expected += r.substr(0, r.find('|'));
        EXPECT_EQ(line.Text(), expected); // the text without its codes
    }
}

// The header lists each colour once in order of use; the encoding is chosen per line.
TEST(RtfWriter, HeaderListsEachColourOnceAndEachLineHasItsEncoding)
{
    const std::string rtf = WriteRtf({FormatLine("a\x03" "4b", Blue), FormatLine("\xc3\xa9", Blue), FormatLine("\xc3", Blue)});
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_NE(rtf.find("{\\colortbl;\\red0\\green0\\blue255;\\red255\\green0\\blue0;}"), std::string::npos);
    EXPECT_EQ(bodyOf(rtf), "{\\cf1 a}{\\cf2 b}\\par\n{\\cf1 \\'e9}\\par\n{\\cf1 \\'c3}\\par\n");
    EXPECT_EQ(rtf.substr(rtf.size() - 2), "}\n");
}

// The output stays plain ASCII whatever bytes come in.
TEST(RtfWriter, RunsAndEscapes)
{
    for (const auto& c : pell::test::readCases("session/rtf.txt"))
        EXPECT_EQ(bodyOf(WriteRtf({FormatLine(c.one("line"), Blue)})), c.one("rtf") + "\n") << c.name;
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    for (char c : WriteRtf({FormatLine(all, Blue)}))
        EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
}

struct CountingView : SessionViewPort {
    int active = 0;
    void activeTabChanged() override { ++active; }
};

// Table: tests/data/session/tabs.txt.
TEST(SessionTabs, OnlyMainIsTextAndIgnorlistHasNoNickList)
{
    SessionViewPort plain;
    const SessionTabs fresh(plain);
    EXPECT_TRUE(fresh.At(0).IsText());
    EXPECT_FALSE(fresh.At(1).IsText());
    EXPECT_FALSE(fresh.At(1).Nicks);
}

TEST(SessionTabs, OpenCloseAndTheUsersOfEachTabFollowTheSteps)
{
    for (const auto& c : pell::test::readCases("session/tabs.txt")) {
        SCOPED_TRACE(c.name);
        CountingView view;
        SessionTabs tabs(view);
        for (const auto& step : c.lines("do")) {
            SCOPED_TRACE(step);
            std::istringstream in(step);
            const Lines w{std::istream_iterator<std::string>(in), {}};
            const std::string rest = step.substr(std::min(step.size(), w[0].size() + 1));
            const auto number = [&] { return std::stoi(w.at(1)); };
            const auto nicks = [&] { return tabs.At(tabs.Find(w.at(1))).Nicks.get(); };
            if (w[0] == "new")
                tabs.NewChannel(w.at(1));
            else if (w[0] == "activate")
                tabs.Activate(number());
            else if (w[0] == "caption")
                tabs.SetCaption(number(), w.at(2));
            else if (w[0] == "close" || w[0] == "refuse")
                EXPECT_EQ(tabs.CloseTab(number()), w[0] == "close");
            else if (w[0] == "fill")
                std::for_each(w.begin() + 2, w.end(), [&](const std::string& e) { nicks()->Add(e); });
            else if (w[0] == "add")
                tabs.AddUserTo(w.at(1), w.at(2));
            else if (w[0] == "del")
                tabs.DelUser(w.at(1));
            else if (w[0] == "rename")
                tabs.NewNickForUser(w.at(1), w.at(2));
            else if (w[0] == "refill") {
                Lines names;
                std::vector<int> flags;
                for (auto e = w.begin() + 2; e != w.end(); ++e) {
                    names.push_back(e->substr(0, e->find(':')));
                    if (e->find(':') != std::string::npos)
                        flags.push_back(std::stoi(e->substr(e->find(':') + 1)));
                }
                tabs.RefillNickList(w.at(1), names, flags);
            } else if (w[0] == "member")
                tabs.SetMemberFlags(w.at(1), w.at(2), std::stoi(w.at(3)));
            else if (w[0] == "support") {
                pell::irc::ServerSupport support;
                support.Read("PREFIX=" + w.at(1));
                tabs.SetServerSupport(support);
            } else if (w[0] == "tabs")
                EXPECT_EQ(captions(tabs), rest);
            else if (w[0] == "find")
                EXPECT_EQ(tabs.Find(w.at(1)), std::stoi(w.at(2)));
            else if (w[0] == "active")
                EXPECT_EQ(tabs.ActiveIndex(), number());
            else if (w[0] == "activations")
                EXPECT_EQ(view.active, number());
            else if (w[0] == "nicks")
                EXPECT_EQ(nicks()->Entries(), Lines(w.begin() + 2, w.end()));
            else
                ADD_FAILURE() << "unknown step";
        }
    }
}

TEST(NickList, RefillSortsAndKeepsTheFirstOfCaseEqualOnes)
{
    NickList bulk; // adding one at a time: the row of tabs.txt
    bulk.Refill({"zed", "@Zed", "+Bo", "x", "Bob", "amy", "bob", "BOB"});
    EXPECT_EQ(bulk.Entries(), (Lines{"@Zed", "+Bo", "amy", "Bob", "x", "zed"}));
    EXPECT_TRUE(bulk.ContainsIgnoringCase("BOB"));
    EXPECT_FALSE(bulk.ContainsIgnoringCase("bo"));
}

TEST(IgnoreList, ComparesWithoutCaseKeepsOrderAndTheSelectionFollowsItsEntry)
{
    IgnoreList list;
    EXPECT_EQ((std::vector<bool>{list.Add("bob"), list.Add("Bob"), list.Add("amy"), list.Add("cy"), list.IsIgnored("BOB"),
                                 list.IsIgnored("bo"), list.IsIgnored("bobby")}), (std::vector<bool>{1, 0, 1, 1, 1, 0, 0}));
    EXPECT_FALSE(list.DeleteSelected());
    list.Select(5);
    EXPECT_FALSE(list.DeleteSelected());
    list.Select(2);
    EXPECT_EQ((std::vector<bool>{list.Remove("zed"), list.Remove("BOB")}), (std::vector<bool>{false, true}));
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(list.Entries(), (Lines{"amy"}));
    EXPECT_EQ(list.Selected(), -1);
}

} // namespace

// Table: tests/data/session/mentions.txt.
TEST(Mentions, AWholeWordNamesTheUserAsTheTableSays)
{
    for (const auto& c : pell::test::readCases("session/mentions.txt")) {
        SCOPED_TRACE(c.name);
        const CaseMapping mapping = CaseMappingNamed(c.one("mapping", "rfc1459"));
        EXPECT_EQ(NamesMe(c.one("text"), c.one("nick"), c.one("words"), mapping), c.one("names") == "yes");
    }
}

// A tab that is not active collects new lines, then a mention; looking at it clears both.
TEST(Mentions, TabsShowWhatIsNewUntilTheyAreLookedAt)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#a");
    s.model.Tabs().NewChannel("#b");
    const auto activity = [&](const char* caption) { return s.model.Tabs().At(s.model.Tabs().Find(caption)).Activity; };
    const TabId a = s.model.AddText("#a", "bob", "hi", 0);
    EXPECT_EQ(activity("#a"), TabActivity::NewLines);
    s.model.NoteMention(a, "bob", "#a", "me?");
    s.model.AddText("#a", "bob", "later", 0);
    EXPECT_EQ(activity("#a"), TabActivity::Mention);
    s.model.AddText("#b", "bob", "here", 0);
    EXPECT_EQ(activity("#b"), TabActivity::None);
    s.model.UserSelectsTab(s.model.Tabs().Find("#a"));
    EXPECT_EQ(activity("#a"), TabActivity::None);
    s.model.SetReplayed(true);
    s.model.NoteMention(s.model.AddText("#b", "bob", "old me", 0), "bob", "#b", "old me");
    EXPECT_EQ(activity("#b"), TabActivity::NewLines);
    EXPECT_EQ(s.desktop.notified, (std::vector<std::string>{"bob in #a|me?"}));
}

// Table: tests/data/session/log-names.txt.
TEST(Logs, NamesFromTheServerAreMadeSafeAsTheTableSays)
{
    for (const auto& c : pell::test::readCases("session/log-names.txt"))
        EXPECT_EQ(SafeLogName(c.one("name")), c.one("safe")) << c.name;
}

// Each line goes, with its date and time, to a private file inside the log folder,
// whatever the network and channel are called; a folder that cannot be made is said.
TEST(Logs, LinesLandInPrivateFilesInsideTheFolderWithTheirTime)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const pell::test::TempFolder root;
    SessionFixture s;
    s.settings.WriteLogs = true;
    s.model.LogFolder = root.folder();
    s.model.SetServerName("../Net");
    s.model.Clock = [] { return std::int64_t{1700000000}; };
    for (const char* channel : {"#Room", "../../x", "#a/b"})
        s.model.AddText(channel, "bob", "\x02hi\x02 there", 0);
    s.model.Logs()->Flush();
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path()))
        if (entry.is_regular_file())
            files.push_back(entry.path().lexically_relative(root.path()).string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"_.._net/#a_b.log", "_.._net/#room.log", "_.._net/_.._.._x.log"}));
    std::ifstream in(root / "_.._net" / "#room.log");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "2023-11-14 22:13:20 <bob>:hi there\n");
    EXPECT_EQ(std::filesystem::status(root / "_.._net" / "#room.log").permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(std::filesystem::status(root / "_.._net").permissions(), std::filesystem::perms(0700));
    SessionFixture t;
    t.settings.WriteLogs = true;
    t.model.LogFolder = "/proc/no/";
    t.model.AddText("#a", "bob", "hi", 0);
    t.model.Logs()->Flush();
    t.model.ReportLogErrors();
    EXPECT_EQ(t.linesOf("Main"), (std::vector<std::string>{
        "<System>:Cannot write the log \"/proc/no/_/#a.log\": No such file or directory. Its lines are not kept."}));
}

// A line keeps its time: the arrival, or what the server said; with time stamps on it
// shows it in front.
TEST(LineTimes, EachLineKeepsItsTimeAndShowsItWhenAsked)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    SessionFixture s;
    s.model.Clock = [] { return std::int64_t{1700000000}; };
    s.model.AddText("Main", "bob", "plain", 0);
    s.settings.TimeStamps = true;
    s.model.SetLineTime(1700003600);
    s.model.AddText("Main", "bob", "as the server says", 0);
    s.model.NewServerLine();
    s.model.AddText("Main", "bob", "arrived", 0);
    EXPECT_EQ(s.linesOf("Main"), (std::vector<std::string>{"<bob>:plain", "[23:13] <bob>:as the server says",
                                                           "[22:13] <bob>:arrived"}));
    EXPECT_EQ(s.model.Tabs().At(0).Text->back().Time(), 1700000000);
    EXPECT_EQ(LogTime(1700003600), "2023-11-14 23:13:20");
}

// Table: tests/data/session/find.txt.
TEST(Find, TypingPreviousAndNextMoveAsTheTableSays)
{
    FormattedText text;
    for (const char* line : {"<bob>:Hello there", "<bob>:nothing here", "<bob>:hello HELLO", "<bob>:Gr\xc3\xbc\xc3\x9f" "e",
                             "<bob>:the \x02" "end"})
        text.Append(FormatLine(line, 0));
    for (const auto& c : pell::test::readCases("session/find.txt")) {
        SCOPED_TRACE(c.name);
        TextFind find;
        std::vector<std::string> seen;
        const auto note = [&](const std::optional<TextMatch>& at) {
            seen.push_back(at ? std::to_string(at->Line) + ":" + std::to_string(at->Begin) : "none");
        };
        note(find.Search(text, c.one("find")));
        for (const std::string& key : c.lines("keys"))
            note(key == "Next" ? find.Next(text) : find.Previous(text));
        EXPECT_EQ(seen, c.lines("at"));
    }
}
