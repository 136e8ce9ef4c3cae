#include "SessionFakes.h"
#include "session/ChannelInText.h"
#include "session/RtfFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace pell::session;
using namespace pell::session::testing;

namespace {

using Lines = std::vector<std::string>;

TEST(ChannelInText, TakesTheChannelFromTheFirstOrSecondCharacter)
{
    const struct {
        std::string text;
        bool taken;
        std::string channel, rest;
    } cases[] = {
        {"#chan hello", true, "#chan", "hello"}, {"@#chan hi", true, "#chan", "@hi"},
        {" #chan :hi", true, "#chan", " :hi"},   {"#chan", true, "#chan", ""},
        {"x#", true, "#", "x"},                  {"ab#c d", false, "before", "ab#c d"},
        {"", false, "before", ""},               {"#a  two", true, "#a", " two"},
    };
    for (const auto& c : cases) {
        std::string channel = "before", text = c.text;
        EXPECT_EQ(TakeChannelFromText(channel, text), c.taken) << c.text;
        EXPECT_EQ(channel + "|" + text, c.channel + "|" + c.rest) << c.text;
    }
}

// Each row opens the channel tabs (the last one active), selects a tab if asked, ignores
// "eve" and adds one line; it then looks at every tab.
TEST(AddText, RoutesTheLineByTargetTextActiveTabAndIgnoreList)
{
    const struct {
        const char* name;
        Lines channels;
        int select; // -1: none
        std::string target, nick, text;
        Lines tabs;         // "caption:line" of every line written, then the captions
        std::string active; // afterwards
    } cases[] = {
        {"channel and nick from the text", {}, -1, "Main", "", "#x hello world",
         {"#x:<hello>: world", "Main #x Ignorlist"}, "#x"},
        {"channel rule again after the nick", {"#chan", "#other"}, -1, "", "", "bob #chan :hi",
         {"#chan:<bob>: :hi", "Main #chan #other Ignorlist"}, "#other"},
        {"nick without a blank is the whole text", {}, -1, "Main", "", "lonely", {"Main:<lonely>:", "Main Ignorlist"}, "Main"},
        {"Main while a channel is active", {"#a"}, -1, "Main", "bob", "x", {"Main:<bob>:x", "Main #a Ignorlist"}, "#a"},
        {"named channels do not read the text", {"#a"}, -1, "#a", "bob", "#b hi", {"#a:<bob>:#b hi", "Main #a Ignorlist"}, "#a"},
        {"private message to the active text tab", {"#a", "#b"}, 1, "", "bob", "psst",
         {"#a:<bob>:psst", "Main #a #b Ignorlist"}, "#a"},
        {"private message while the ignore tab is active", {"#a"}, 2, "", "bob", "psst",
         {"Main:<bob>:psst", "Main #a Ignorlist"}, "Main"},
        {"target without text view falls back to the first tab", {}, -1, "Ignorlist", "bob", "x",
         {"Main:<bob>:x", "Main Ignorlist"}, "Ignorlist"},
        {"missing tab is created before Ignorlist", {}, -1, "#new", "bob", "hello", {"#new:<bob>:hello", "Main #new Ignorlist"}, "#new"},
        {"ignored in any case", {"#a"}, -1, "#a", "@EVE", "hi", {"Main #a Ignorlist"}, "#a"},
        {"ignored after the prefix, nick from the text", {}, -1, "Main", "", "+Eve hi", {"Main Ignorlist"}, "Main"},
        {"ignore looks at the nick only", {"#a"}, -1, "#a", "System", "eve joined",
         {"#a:<System>:eve joined", "Main #a Ignorlist"}, "#a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionFixture s;
        s.model.IgnoreNick("eve");
        for (const auto& channel : c.channels)
            s.model.Tabs().NewChannel(channel);
        if (c.select >= 0)
            s.model.UserSelectsTab(c.select);
        s.model.AddText(c.target, c.nick, c.text, 7);
        Lines tabs;
        std::string captions;
        for (int i = 0; i < s.model.Tabs().Count(); ++i) {
            const SessionTab& tab = s.model.Tabs().At(i);
            captions += (i ? " " : "") + tab.Caption;
            for (const auto& line : tab.Text ? tab.Text->Lines() : std::vector<FormattedLine>{})
                tabs.push_back(tab.Caption + ":" + line.PlainText());
        }
        tabs.push_back(captions);
        EXPECT_EQ(tabs, c.tabs);
        EXPECT_EQ(s.model.Tabs().Active().Caption, c.active);
        if (c.select >= 0) {
            EXPECT_EQ(s.model.CurrentChannel(), s.model.Tabs().At(c.select).Caption);
        }
    }
}

TEST(SessionModel, LinesKeepColourAndCodesAndClearEmptiesTheActiveTextTabOnly)
{
    SessionFixture s;
    s.model.Tabs().NewChannel("#a");
    s.model.Tabs().RefillNickList("#a", {"bob"}, {0});
    s.model.AddText("Main", "bob", "a\x02" "b", 0x123456);
    EXPECT_EQ(s.model.Tabs().At(0).Text->Lines().at(0).Runs(),
              (std::vector<TextRun>{{"<bob>:a", 0x123456, false, false}, {"b", 0x123456, true, false}}));
    EXPECT_EQ(s.view.appended, (std::vector<TabId>{s.model.Tabs().At(0).Id}));
    s.model.AddText("#a", "bob", "x", 7);
    s.model.ClearActive();
    EXPECT_TRUE(s.linesOf("#a").empty());
    EXPECT_EQ(s.linesOf("Main").size(), 1u);
    EXPECT_EQ(s.model.Tabs().At(1).Nicks->Count(), 1);
    s.model.UserSelectsTab(2);
    s.model.ClearActive(); // the ignore tab has nothing to clear
    EXPECT_EQ(s.linesOf("Main").size(), 1u);
}

TEST(SessionModel, FlashesOnlyWhenEnabledAndNotInFront)
{
    const struct {
        bool enabled, inFront;
        int flashes;
    } cases[] = {{true, false, 1}, {true, true, 0}, {false, false, 0}};
    for (const auto& c : cases) {
        SessionFixture s;
        s.settings.FlashOnMessage = c.enabled;
        s.desktop.inFront = c.inFront;
        s.model.FlashOnMessage();
        EXPECT_EQ(s.desktop.flashes, c.flashes) << c.enabled << c.inFront;
    }
}

TEST(SessionModel, LinksOpenWithWwwAsHttpAndAddressesAndQuitReasonAreShared)
{
    SessionFixture s;
    s.desktop.throwOnOpen = true; // failures are swallowed
    s.model.OpenLink("www.a.org");
    s.model.OpenLink("https://b.org");
    EXPECT_EQ(s.desktop.opened, (Lines{"http://www.a.org", "https://b.org"}));

    SessionModel second(s.settings, s.shared, SessionPorts{s.view, s.desktop, s.prompts, s.saveDialog});
    s.model.CollectUrls("http://one");
    second.CollectUrls("www.two");
    s.shared.QuitReason = "bye";
    EXPECT_EQ(second.Shared().QuitReason, "bye");
    EXPECT_EQ(s.shared.Addresses.Entries().front(), "www.two");
    EXPECT_EQ(s.shared.Addresses.Entries().size(), 2u);
}

TEST(RtfFileName, AppendsUnlessTheExtensionIsExactlyRtf)
{
    const std::pair<const char*, const char*> cases[] = {
        {"log.rtf", "log.rtf"},         {"log", "log.rtf"},       {"log.txt", "log.txt.rtf"},
        {"log.RTF", "log.RTF.rtf"},     {"/a.b/log", "/a.b/log.rtf"},
        {"log.rtf.bak", "log.rtf.bak.rtf"},
    };
    for (const auto& [chosen, written] : cases)
        EXPECT_EQ(RtfFileName(chosen), written) << chosen;
}

struct SaveTest : ::testing::Test {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("pell-save-" + std::to_string(::getpid()));
    SessionFixture s;

    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    static std::string read(const std::filesystem::path& path)
    {
        std::stringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
};

TEST_F(SaveTest, ReplacesTheFileWithTheActiveTabUnderItsRtfName)
{
    std::ofstream(folder / "log.rtf") << "previous content that is longer than the new one ............";
    s.model.AddText("Main", "bob", "new", 0);
    s.saveDialog.answer = (folder / "log").string();
    EXPECT_TRUE(s.model.SaveActive());
    EXPECT_EQ(s.saveDialog.filterName + "|" + s.saveDialog.pattern, "Text|*.rtf");
    const std::string rtf = read(folder / "log.rtf");
    EXPECT_EQ(rtf.find("previous"), std::string::npos);
    EXPECT_NE(rtf.find("<bob>:new"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "log.rtf.part"));
    EXPECT_TRUE(s.prompts.errors.empty());
}

TEST_F(SaveTest, CancelOrIgnoreTabWritesNothingAndAFailureKeepsTheText)
{
    s.model.AddText("Main", "bob", "keep", 0);
    EXPECT_FALSE(s.model.SaveActive()); // cancelled
    s.saveDialog.answer = (folder / "missing" / "log").string();
    EXPECT_FALSE(s.model.SaveActive());
    ASSERT_EQ(s.prompts.errors.size(), 1u);
    EXPECT_NE(s.prompts.errors[0].find("missing/log.rtf"), std::string::npos);
    EXPECT_EQ(s.linesOf("Main").size(), 1u);
    s.saveDialog.answer = (folder / "x").string();
    s.model.UserSelectsTab(1);
    EXPECT_FALSE(s.model.SaveActive());
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

} // namespace
