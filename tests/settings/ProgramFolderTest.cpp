#include "settings/ProgramFolder.h"

#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pell::settings;
using pell::test::modeOf;
using pell::test::TempFolder;

namespace {

namespace fs = std::filesystem;

// A program file in a folder nobody can write to: the folder does not exist.
const std::string UnwritableProgram = "/nonexistent-pell-folder/bin/pell-irc";

TEST(ProgramFolder, PellIrcHomeWinsOverEverything)
{
    TempFolder temp;
    ProgramFolderSources sources;
    sources.pellIrcHome = temp.path().string();
    sources.xdgConfigHome = temp.file("xdg");
    sources.executablePath = temp.file("pell-irc"); // writable folder
    EXPECT_EQ(resolveProgramFolder(sources), temp.folder());
}

TEST(ProgramFolder, PellIrcHomeIsCreatedPrivateWhenMissing)
{
    TempFolder temp;
    ProgramFolderSources sources;
    sources.pellIrcHome = temp.file("a/b/home/"); // trailing slash kept single
    EXPECT_EQ(resolveProgramFolder(sources), temp.file("a/b/home") + "/");
    EXPECT_TRUE(fs::is_directory(temp.file("a/b/home")));
    EXPECT_EQ(modeOf(temp.file("a/b/home")), 0700u);
    EXPECT_EQ(modeOf(temp.file("a")), 0700u);
}

TEST(ProgramFolder, EmptyPellIrcHomeCountsAsUnset)
{
    TempFolder temp;
    ProgramFolderSources sources;
    sources.pellIrcHome = "";
    sources.executablePath = temp.file("pell-irc");
    EXPECT_EQ(resolveProgramFolder(sources), temp.folder());
}

TEST(ProgramFolder, WritableProgramFolderIsUsed)
{
    TempFolder temp;
    ProgramFolderSources sources;
    sources.executablePath = temp.file("pell-irc");
    sources.home = temp.file("home");
    EXPECT_EQ(resolveProgramFolder(sources), temp.folder());
    EXPECT_FALSE(fs::exists(temp.file("home")));
}

struct FallbackCase {
    const char* what;
    std::optional<std::string> xdg; // relative to the temporary folder unless absolute
    std::string expected;           // relative to the temporary folder
};

TEST(ProgramFolder, UnwritableProgramFolderFallsBackToXdgConfig)
{
    const FallbackCase cases[] = {
        {"XDG_CONFIG_HOME set", std::string("xdg"), "xdg/pell-irc/"},
        {"XDG_CONFIG_HOME unset", std::nullopt, "home/.config/pell-irc/"},
        {"XDG_CONFIG_HOME empty", std::string(""), "home/.config/pell-irc/"},
        {"XDG_CONFIG_HOME relative", std::string("relative/conf"), "home/.config/pell-irc/"},
    };
    for (const auto& c : cases) {
        TempFolder temp;
        ProgramFolderSources sources;
        sources.executablePath = UnwritableProgram;
        sources.home = temp.file("home");
        if (c.xdg)
            sources.xdgConfigHome = (c.xdg->empty() || c.xdg->starts_with("relative")) ? *c.xdg : temp.file(*c.xdg);
        const std::string folder = resolveProgramFolder(sources);
        EXPECT_EQ(folder, temp.folder() + c.expected) << c.what;
        EXPECT_TRUE(fs::is_directory(folder)) << c.what;
        EXPECT_EQ(modeOf(folder), 0700u) << c.what;
    }
}

TEST(ProgramFolder, ExistingConfigFolderKeepsItsMode)
{
    TempFolder temp;
    fs::create_directories(temp.file("xdg/pell-irc"));
    fs::permissions(temp.file("xdg/pell-irc"), fs::perms(0755));
    ProgramFolderSources sources;
    sources.executablePath = UnwritableProgram;
    sources.xdgConfigHome = temp.file("xdg");
    EXPECT_EQ(resolveProgramFolder(sources), temp.file("xdg/pell-irc") + "/");
    EXPECT_EQ(modeOf(temp.file("xdg/pell-irc")), 0755u);
}

TEST(ProgramFolder, ThisProcessHasAnAbsoluteFolderEndingInSlash)
{
    const std::string& folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_EQ(folder.back(), '/');
}

TEST(ProgramFolder, DownloadsFolderIsBelowIt)
{
    EXPECT_EQ(defaultDownloadFolder("/home/u/.config/pell-irc/"), "/home/u/.config/pell-irc/Downloads/");
    EXPECT_EQ(defaultDownloadFolder("/opt/pell"), "/opt/pell/Downloads/");
}

} // namespace
