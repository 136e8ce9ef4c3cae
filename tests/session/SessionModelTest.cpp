#include "SessionFakes.h"
#include "session/ChannelInText.h"
#include "session/RtfFile.h"
#include "support/CaseFile.h"

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
    // text -> "taken|channel|rest"
    const std::pair<std::string, std::string> cases[] = {
        {"#chan hello", "1|#chan|hello"}, {"@#chan hi", "1|#chan|@hi"}, {" #chan :hi", "1|#chan| :hi"},
        {"#chan", "1|#chan|"},            {"x#", "1|#|x"},              {"ab#c d", "0|before|ab#c d"},
        {"", "0|before|"},                {"#a  two", "1|#a| two"},
    };
    for (const auto& [text, expected] : cases) {
        std::string channel = "before", rest = text;
        const bool taken = TakeChannelFromText(channel, rest);
        EXPECT_EQ(std::to_string(taken) + "|" + channel + "|" + rest, expected) << text;
    }
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
        std::string captions;
        for (int i = 0; i < s.model.Tabs().Count(); ++i) {
            const SessionTab& tab = s.model.Tabs().At(i);
            captions += (i ? " " : "") + tab.Caption;
            for (const auto& line : s.linesOf(tab.Caption))
                tabs.push_back(tab.Caption + ":" + line);
        }
        tabs.push_back(captions);
        tabs.push_back(s.model.Tabs().Active().Caption);
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

// Opening a link never takes the window down, whatever the desktop does.
TEST(SessionModel, FlashesWhenEnabledAndNotInFrontAndOpensLinksWithWwwAsHttp)
{
    for (const auto& [enabled, inFront, flashes] : {std::tuple{true, false, 1}, {true, true, 0}, {false, false, 0}}) {
        SessionFixture s;
        s.settings.FlashOnMessage = enabled;
        s.desktop.inFront = inFront;
        s.model.FlashOnMessage();
        EXPECT_EQ(s.desktop.flashes, flashes) << enabled << inFront;
    }
    SessionFixture s;
    s.desktop.throwOnOpen = true;
    s.model.OpenLink("www.a.org");
    s.model.OpenLink("https://b.org");
    EXPECT_EQ(s.desktop.opened, (Lines{"http://www.a.org", "https://b.org"}));
}

TEST(Save, WritesTheActiveTabUnderItsRtfNameReplacingTheFileAndAFailureKeepsTheText)
{
    for (const auto& [chosen, written] : std::vector<std::pair<std::string, std::string>>{
             {"log.rtf", "log.rtf"}, {"log", "log.rtf"}, {"log.txt", "log.txt.rtf"}, {"log.RTF", "log.RTF.rtf"},
             {"/a.b/log", "/a.b/log.rtf"}, {"log.rtf.bak", "log.rtf.bak.rtf"}})
        EXPECT_EQ(RtfFileName(chosen), written) << chosen;

    const auto folder = std::filesystem::temp_directory_path() / ("pell-save-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1); // no .part left behind
    std::filesystem::remove_all(folder);
}

} // namespace
