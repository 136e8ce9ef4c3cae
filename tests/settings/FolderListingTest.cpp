#include "settings/FolderListing.h"

#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pell::settings;
using namespace pell::test;

namespace {

namespace fs = std::filesystem;

TEST(FolderListing, ListsVisibleFoldersOnlySortedWithoutRegardToCase)
{
    TempFolder temp;
    for (const char* name : {"beta", "Alpha", "gamma", ".hidden", "alpha2"})
        fs::create_directory(temp.path() / name);
    writeBytes(temp.file("afile"), "x");
    fs::create_directory_symlink(temp.path() / "gamma", temp.path() / "Delta");

    EXPECT_EQ(subfolderNames(temp.folder()), (std::vector<std::string>{"Alpha", "alpha2", "beta", "Delta", "gamma"}));
    EXPECT_TRUE(hasSubfolders(temp.folder()));
    EXPECT_FALSE(hasSubfolders(temp.file("beta")));
}

TEST(FolderListing, MissingOrUnreadableFolderHasNoSubfolders)
{
    EXPECT_TRUE(subfolderNames("/nonexistent-pell-folder").empty());
    EXPECT_FALSE(hasSubfolders("/nonexistent-pell-folder"));
    TempFolder temp;
    writeBytes(temp.file("plain"), "x");
    EXPECT_TRUE(subfolderNames(temp.file("plain")).empty());
}

TEST(FolderListing, ChildFolderJoinsWithOneSlash)
{
    EXPECT_EQ(childFolder("/", "home"), "/home");
    EXPECT_EQ(childFolder("/home", "u"), "/home/u");
    EXPECT_EQ(childFolder("/home/", "u"), "/home/u");
}

} // namespace
