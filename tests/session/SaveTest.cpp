#include "SessionFakes.h"
#include "session/RtfFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace pell::session;
using namespace pell::session::testing;

namespace {

struct SaveTest : ::testing::Test {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pell-save-" + std::to_string(::getpid()));
    SessionFixture s;

    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    static std::string read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

} // namespace

TEST(RtfFileName, AppendsUnlessTheExtensionIsExactlyRtf)
{
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"log.rtf", "log.rtf"},           {"log", "log.rtf"},
        {"log.txt", "log.txt.rtf"},       {"log.RTF", "log.RTF.rtf"},
        {"/a.b/log", "/a.b/log.rtf"},     {"/a/x.rtf", "/a/x.rtf"},
        {"log.rtf.bak", "log.rtf.bak.rtf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RtfFileName(c.chosen), c.written) << c.chosen;
}

TEST_F(SaveTest, WritesTheActiveTabWithTheRtfName)
{
    s.model.AddText("Main", "bob", "hello", 0);
    s.saveDialog.answer = (folder / "log").string();
    EXPECT_TRUE(s.model.SaveActive());
    EXPECT_EQ(s.saveDialog.filterName, "Text");
    EXPECT_EQ(s.saveDialog.pattern, "*.rtf");
    const std::string rtf = read(folder / "log.rtf");
    EXPECT_NE(rtf.find("<bob>:hello"), std::string::npos);
    EXPECT_TRUE(s.prompts.errors.empty());
}

TEST_F(SaveTest, ReplacesAnExistingFile)
{
    std::ofstream(folder / "old.rtf") << "previous content that is longer than the new one ............";
    s.model.AddText("Main", "bob", "new", 0);
    s.saveDialog.answer = (folder / "old.rtf").string();
    EXPECT_TRUE(s.model.SaveActive());
    const std::string rtf = read(folder / "old.rtf");
    EXPECT_EQ(rtf.find("previous"), std::string::npos);
    EXPECT_NE(rtf.find("<bob>:new"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder / "old.rtf.part"));
}

TEST_F(SaveTest, CancelOrIgnoreTabWritesNothing)
{
    s.saveDialog.answer.reset();
    EXPECT_FALSE(s.model.SaveActive());
    s.saveDialog.answer = (folder / "x").string();
    s.model.UserSelectsTab(1);
    EXPECT_FALSE(s.model.SaveActive());
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(SaveTest, UnwritablePathIsReportedAndKeepsTheText)
{
    s.model.AddText("Main", "bob", "keep", 0);
    s.saveDialog.answer = (folder / "missing" / "log").string();
    EXPECT_FALSE(s.model.SaveActive());
    ASSERT_EQ(s.prompts.errors.size(), 1u);
    EXPECT_NE(s.prompts.errors[0].find("missing/log.rtf"), std::string::npos);
    EXPECT_EQ(s.linesOf("Main").size(), 1u);
}
