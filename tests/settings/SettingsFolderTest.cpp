#include "settings/SettingsFolder.h"

#include "settings/SettingsError.h"
#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

using namespace pell::settings;
using namespace pell::test;

namespace {

namespace fs = std::filesystem;

// Clears the write hook whatever a test does.
struct HookGuard {
    ~HookGuard() { pell::settings::testing::afterWriteChunk = nullptr; }
};

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(SettingsFolder, FileNamesAreExact)
{
    const std::pair<SettingsFile, std::string> cases[] = {
        {SettingsFile::SettingsIni, "settings.ini"}, {SettingsFile::SList, "SList.dat"},
        {SettingsFile::Proxy, "Proxy.ini"},          {SettingsFile::Folders, "Folders.dat"},
        {SettingsFile::Accept, "Accept.dat"},        {SettingsFile::Disable, "Disable.dat"},
        {SettingsFile::Ignore, "Ignore.dat"},        {SettingsFile::Color, "Color.dat"},
        {SettingsFile::Template, "Template.dat"},
    };
    const SettingsFolder folder("/p/");
    for (const auto& [file, name] : cases) {
        EXPECT_EQ(fileName(file), name);
        EXPECT_EQ(folder.pathOf(file), "/p/" + name);
    }
    EXPECT_EQ(SettingsFolder("/p").pathOf(SettingsFile::Color), "/p/Color.dat");
}

TEST(SettingsFolder, MissingFileReadsAsNothing)
{
    TempFolder temp;
    const SettingsFolder folder(temp.folder());
    EXPECT_FALSE(folder.exists(SettingsFile::Color));
    EXPECT_FALSE(folder.read(SettingsFile::Color).has_value());
    fs::create_directory(temp.file("Color.dat")); // a folder is not a settings file
    EXPECT_FALSE(folder.read(SettingsFile::Color).has_value());
}

TEST(SettingsFolder, EmptyFileReadsAsNoLines)
{
    TempFolder temp;
    writeBytes(temp.file("Accept.dat"), "");
    const auto lines = SettingsFolder(temp.folder()).read(SettingsFile::Accept);
    ASSERT_TRUE(lines.has_value());
    EXPECT_TRUE(lines->empty());
}

TEST(SettingsFolder, PasswordFilesAre0600AlsoOnRewriteOthers0644)
{
    TempFolder temp;
    const SettingsFolder folder(temp.folder());
    const std::pair<SettingsFile, unsigned> cases[] = {
        {SettingsFile::SettingsIni, 0600}, {SettingsFile::SList, 0600}, {SettingsFile::Proxy, 0600},
        {SettingsFile::Folders, 0644},     {SettingsFile::Accept, 0644}, {SettingsFile::Disable, 0644},
        {SettingsFile::Ignore, 0644},      {SettingsFile::Color, 0644},  {SettingsFile::Template, 0644},
    };
    for (const auto& [file, mode] : cases) {
        const std::string path = folder.pathOf(file);
        writeBytes(path, "old\r\n");
        ::chmod(path.c_str(), 0666); // an old, too open file
        folder.write(file, {"new"});
        EXPECT_EQ(readBytes(path), "new\r\n") << path;
        EXPECT_EQ(modeOf(path), mode) << path;
        fs::remove(path);
        folder.write(file, {"fresh"}); // created anew
        EXPECT_EQ(modeOf(path), mode) << path;
    }
    EXPECT_EQ(entriesIn(temp.path()), 9u); // no temporary files left behind
}

TEST(SettingsFolder, FailedWriteLeavesOldFileIntactAndNoTemporaryFile)
{
    HookGuard guard;
    TempFolder temp;
    const SettingsFolder folder(temp.folder());
    const std::string old = "old line\r\nsecond\r\n";
    writeBytes(folder.pathOf(SettingsFile::Template), old);

    const Lines big(5000, "a line of the new template file that is long enough");
    pell::settings::testing::afterWriteChunk = [](std::size_t written) {
        return written < 3 * pell::settings::testing::WriteChunkSize; // disk full midway
    };
    EXPECT_THROW(folder.write(SettingsFile::Template, big), FileWriteError);
    EXPECT_EQ(readBytes(folder.pathOf(SettingsFile::Template)), old);
    EXPECT_EQ(entriesIn(temp.path()), 1u);
}

TEST(SettingsFolder, ProcessKilledMidwayLeavesOldFileIntact)
{
    TempFolder temp;
    const SettingsFolder folder(temp.folder());
    const std::string old = "Libera\r\nirc.libera.chat\r\n";
    writeBytes(folder.pathOf(SettingsFile::SList), old);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pell::settings::testing::afterWriteChunk = [](std::size_t written) {
            if (written >= 2 * pell::settings::testing::WriteChunkSize)
                ::raise(SIGKILL);
            return true;
        };
        folder.write(SettingsFile::SList, Lines(10000, "x"));
        ::_exit(0); // not reached
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_EQ(readBytes(folder.pathOf(SettingsFile::SList)), old);
}

TEST(SettingsFolder, UnwritableFileIsReportedWithItsPath)
{
    TempFolder temp;
    const SettingsFolder missing(temp.folder() + "no/such/folder/");
    try {
        missing.write(SettingsFile::Color, {"1"});
        FAIL() << "no error";
    } catch (const FileWriteError& error) {
        EXPECT_EQ(error.path(), temp.folder() + "no/such/folder/Color.dat");
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + error.path() + "\". ", 0), 0u);
    }
    fs::create_directory(temp.file("Color.dat"));
    EXPECT_THROW(SettingsFolder(temp.folder()).write(SettingsFile::Color, {"1"}), FileWriteError);
    EXPECT_EQ(entriesIn(temp.path()), 1u);
}

} // namespace
