#include "settings/AppSettingsFiles.h"

#include "settings/PasswordScrambler.h"
#include "settings/SettingsError.h"
#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pell::settings;
using namespace pell::test;

namespace {

namespace fs = std::filesystem;

const char* const OptionsFiles[] = {"Accept.dat", "Disable.dat", "Ignore.dat", "Folders.dat",
                                    "Color.dat",  "settings.ini", "Proxy.ini"};

// The settings that tests/data/settings/sample/ holds.
AppSettings sampleSettings()
{
    AppSettings s;
    s.Nick = "my nick";
    s.RealName = "Real Name";
    s.Username = "user";
    s.Password = "abc";
    s.Invisible = true;
    s.Wallops = true;
    s.OwnColour = 16711680;
    s.ScriptDelay = "1500";
    s.Language = 1;
    s.ProxyHost = "proxy.local";
    s.ProxyPort = "1080";
    s.ProxyUser = "bob";
    s.ProxyPassword = "pw";
    s.ProxyNeedsAuth = true;
    s.ProxyType = 3;
    s.AcceptPatterns = {"*.mp3", "*.ogg"};
    s.DisablePatterns = {"*.exe"};
    s.IgnorePatterns = {"*.lnk", "*.tmp"};
    s.FolderRules.push_back({"*.mp3", "/home/u/Music"});
    return s;
}

void copyGoldens(const std::string& set, const TempFolder& temp)
{
    for (const auto& entry : fs::directory_iterator(std::string(PELL_TEST_DATA) + "/settings/" + set))
        fs::copy_file(entry.path(), temp.path() / entry.path().filename());
}

TEST(AppSettingsFiles, DefaultsAreThoseOfPart41)
{
    const AppSettings s;
    EXPECT_EQ(s.OwnColour, 128 | 128 << 8 | 255 << 16);
    EXPECT_EQ(s.OthersColour, 0);
    EXPECT_EQ(s.SystemColour, 128 << 8);
    EXPECT_EQ(s.ActionColour, 255);
    EXPECT_EQ(s.ScriptDelay, "2500");
    EXPECT_EQ(s.Language, 0);
    EXPECT_EQ(s.ProxyPort, "110");
    EXPECT_EQ(s.ProxyType, -1);
    EXPECT_EQ(s.DownloadMode, -1);
    EXPECT_EQ(s.FolderRules, (std::vector<FolderRule>{{"*.*", "Rootfolder"}}));
    EXPECT_EQ(s.AcceptPatterns.size(), 7u);
    EXPECT_EQ(s.DisablePatterns.size(), 8u);
    EXPECT_EQ(s.IgnorePatterns, (std::vector<std::string>{"*.lnk"}));
}

struct GoldenSet {
    const char* folder;
    AppSettings settings;
};

TEST(AppSettingsFiles, SaveWritesTheGoldenBytes)
{
    const GoldenSet sets[] = {{"defaults", AppSettings{}}, {"sample", sampleSettings()}};
    for (const auto& set : sets) {
        TempFolder temp;
        AppSettings settings = set.settings;
        AppSettingsFiles(SettingsFolder(temp.folder())).saveOnOptionsClose(settings);
        for (const char* name : OptionsFiles)
            EXPECT_EQ(readBytes(temp.file(name)), golden(std::string(set.folder) + "/" + name))
                << set.folder << "/" << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 7);
    }
}

TEST(AppSettingsFiles, CloseRemovesSpacesFromNickInMemoryToo)
{
    TempFolder temp;
    AppSettings settings;
    settings.Nick = " two words ";
    AppSettingsFiles(SettingsFolder(temp.folder())).saveOnOptionsClose(settings);
    EXPECT_EQ(settings.Nick, "twowords");
    EXPECT_EQ(readBytes(temp.file("settings.ini")).substr(0, 10), "twowords\r\n");
}

TEST(AppSettingsFiles, LoadReadsTheGoldenFilesBack)
{
    TempFolder temp;
    copyGoldens("sample", temp);
    const AppSettingsFiles files{SettingsFolder(temp.folder())};
    AppSettings loaded;
    files.loadOptionsFiles(loaded);
    EXPECT_TRUE(files.loadProxyIni(loaded));
    EXPECT_TRUE(files.loadColorDat(loaded));
    AppSettings expected = sampleSettings();
    expected.Nick = "mynick";
    // Folders.dat's rules come after the default rule, its own "*.*" rule included.
    expected.FolderRules.insert(expected.FolderRules.begin(), FolderRule{"*.*", "Rootfolder"});
    EXPECT_EQ(loaded, expected);
}

TEST(AppSettingsFiles, MissingFilesLeaveDefaultsSilently)
{
    TempFolder temp;
    const AppSettingsFiles files{SettingsFolder(temp.folder())};
    AppSettings loaded;
    files.loadOptionsFiles(loaded);
    EXPECT_FALSE(files.loadProxyIni(loaded));
    EXPECT_FALSE(files.loadColorDat(loaded));
    EXPECT_EQ(loaded, AppSettings{});
}

TEST(AppSettingsFiles, PatternFilesReplaceTheirWholeList)
{
    TempFolder temp;
    writeBytes(temp.file("Accept.dat"), "*.txt\r\n");
    writeBytes(temp.file("Disable.dat"), ""); // present but empty: empty list
    const AppSettingsFiles files{SettingsFolder(temp.folder())};
    AppSettings loaded;
    files.loadOptionsFiles(loaded);
    EXPECT_EQ(loaded.AcceptPatterns, (std::vector<std::string>{"*.txt"}));
    EXPECT_TRUE(loaded.DisablePatterns.empty());
    EXPECT_EQ(loaded.IgnorePatterns, AppSettings{}.IgnorePatterns);
}

TEST(AppSettingsFiles, FoldersDatAppendsPairsAndIgnoresAnUnpairedLine)
{
    const std::pair<Lines, std::vector<FolderRule>> cases[] = {
        {{}, {{"*.*", "Rootfolder"}}},
        {{"*.mp3"}, {{"*.*", "Rootfolder"}}},
        {{"*.mp3", "/m", "*.avi"}, {{"*.*", "Rootfolder"}, {"*.mp3", "/m"}}},
        {{"*.*", "/all", "*.a", "/a"}, {{"*.*", "Rootfolder"}, {"*.*", "/all"}, {"*.a", "/a"}}},
    };
    for (const auto& [lines, rules] : cases) {
        AppSettings s;
        applyFoldersDat(s, lines);
        EXPECT_EQ(s.FolderRules, rules);
    }
}

struct BoolCase {
    std::string word;
    bool settingsIni; // read as true in settings.ini (and SList.dat)
    bool proxyIni;    // read as true in Proxy.ini
};

TEST(AppSettingsFiles, BooleanWordsAreReadCaseSensitivelyPerFile)
{
    const BoolCase cases[] = {
        {"True", true, false}, {"true", false, true}, {"TRUE", false, false}, {"false", false, false},
        {"False", false, false}, {"", false, false}, {"1", false, false}, {"True ", false, false},
    };
    for (const auto& c : cases) {
        AppSettings s;
        applySettingsIni(s, {"", "", "", "", c.word, c.word, c.word, c.word, c.word});
        EXPECT_EQ(s.Invisible, c.settingsIni) << c.word;
        EXPECT_EQ(s.Operator, c.settingsIni) << c.word;
        EXPECT_EQ(s.ServerNotice, c.settingsIni) << c.word;
        EXPECT_EQ(s.Wallops, c.settingsIni) << c.word;
        EXPECT_EQ(s.FlashOnMessage, c.settingsIni) << c.word;
        applyProxyIni(s, {"", "", "", "", c.word, "0"});
        EXPECT_EQ(s.ProxyNeedsAuth, c.proxyIni) << c.word;
    }
}

TEST(AppSettingsFiles, FalseWordsDifferPerFile)
{
    AppSettings s; // all user modes off
    EXPECT_EQ(settingsIniLines(s), (Lines{"", "", "", "", "false", "false", "false", "false", "false"}));
    EXPECT_EQ(proxyIniLines(s)[4], "false");
    s.ProxyNeedsAuth = true;
    s.Invisible = true;
    EXPECT_EQ(proxyIniLines(s)[4], "true");
    EXPECT_EQ(settingsIniLines(s)[4], "True");
}

TEST(AppSettingsFiles, EmptyPasswordIsAnEmptyLineAndReadsBackEmpty)
{
    AppSettings s;
    s.Password = "x";
    applySettingsIni(s, {"n", "r", "u", ""});
    EXPECT_EQ(s.Password, "");
    EXPECT_EQ(settingsIniLines(s)[3], "");
}

struct ColorErrorCase {
    Lines lines;
    AppSettings expected; // what is applied before the error
};

TEST(AppSettingsFiles, ColorDatConversionErrorStopsTheLaterLines)
{
    const auto with = [](auto change) { AppSettings s; change(s); return s; };
    const ColorErrorCase cases[] = {
        {{"abc", "1", "2", "3", "100", "1"}, AppSettings{}},
        {{"1", "2", "x3", "4", "100", "1"}, with([](AppSettings& s) { s.OwnColour = 1; s.OthersColour = 2; })},
        {{"1", "2", "3", "4", "delay", "German"}, with([](AppSettings& s) {
             s.OwnColour = 1; s.OthersColour = 2; s.SystemColour = 3; s.ActionColour = 4; s.ScriptDelay = "delay"; })},
        {{"1", "2", "3", ""}, with([](AppSettings& s) { s.OwnColour = 1; s.OthersColour = 2; s.SystemColour = 3; })},
    };
    for (const auto& c : cases) {
        AppSettings s;
        EXPECT_THROW(applyColorDat(s, c.lines), ConversionError);
        EXPECT_EQ(s, c.expected);
    }
}

TEST(AppSettingsFiles, ScriptDelayIsKeptAsTyped)
{
    AppSettings s;
    applyColorDat(s, {"0", "0", "0", "0", " 12ms", "0"});
    EXPECT_EQ(s.ScriptDelay, " 12ms");
    EXPECT_EQ(colorDatLines(s)[4], " 12ms");
}

TEST(AppSettingsFiles, ProxyTypeConversionErrorAfterTheOtherLinesWereApplied)
{
    AppSettings s;
    try {
        applyProxyIni(s, {"h", "p", EncodePassword("u"), "", "true", "Socks5"});
        FAIL() << "no error";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'Socks5' is not a valid integer value");
    }
    EXPECT_EQ(s.ProxyHost, "h");
    EXPECT_EQ(s.ProxyPort, "p");
    EXPECT_EQ(s.ProxyUser, "u");
    EXPECT_TRUE(s.ProxyNeedsAuth);
    EXPECT_EQ(s.ProxyType, -1);
}

TEST(AppSettingsFiles, FilesWithFewerLinesKeepDefaultsForTheMissingOnes)
{
    TempFolder temp;
    writeBytes(temp.file("settings.ini"), "nick\r\nreal");       // truncated in line 1
    writeBytes(temp.file("Proxy.ini"), "host\r\n");
    writeBytes(temp.file("Color.dat"), "1\r\n2");
    const AppSettingsFiles files{SettingsFolder(temp.folder())};
    AppSettings s;
    files.loadOptionsFiles(s);
    files.loadProxyIni(s);
    files.loadColorDat(s);
    AppSettings expected;
    expected.Nick = "nick";
    expected.RealName = "real";
    expected.ProxyHost = "host";
    expected.OwnColour = 1;
    expected.OthersColour = 2;
    EXPECT_EQ(s, expected);
}

TEST(AppSettingsFiles, NulEndsTheFileText)
{
    TempFolder temp;
    writeBytes(temp.file("Color.dat"), std::string("7\r\n8\r\n\0garbage\r\nmore", 22));
    writeBytes(temp.file("Accept.dat"), std::string("*.a\0*.b\r\n", 9));
    const AppSettingsFiles files{SettingsFolder(temp.folder())};
    AppSettings s;
    files.loadColorDat(s);
    files.loadAcceptDat(s);
    EXPECT_EQ(s.OwnColour, 7);
    EXPECT_EQ(s.OthersColour, 8);
    EXPECT_EQ(s.SystemColour, AppSettings{}.SystemColour);
    EXPECT_EQ(s.AcceptPatterns, (std::vector<std::string>{"*.a"}));
}

TEST(AppSettingsFiles, TenMegabyteFilesLoad)
{
    TempFolder temp;
    std::string big;
    while (big.size() < 10 * 1024 * 1024)
        big += "*.ext\r\n";
    writeBytes(temp.file("Ignore.dat"), big);
    writeBytes(temp.file("Color.dat"), std::string(10 * 1024 * 1024, '9')); // one huge number line
    writeBytes(temp.file("settings.ini"), std::string(10 * 1024 * 1024, 'n'));
    const AppSettingsFiles files{SettingsFolder(temp.folder())};
    AppSettings s;
    files.loadOptionsFiles(s);
    EXPECT_EQ(s.IgnorePatterns.size(), big.size() / 7);
    EXPECT_EQ(s.Nick.size(), 10u * 1024 * 1024);
    EXPECT_THROW(files.loadColorDat(s), ConversionError);
    EXPECT_EQ(s.OwnColour, AppSettings{}.OwnColour);
}

TEST(AppSettingsFiles, SaveSequenceStopsAtTheFirstFileThatCannotBeWritten)
{
    for (std::size_t blocked = 0; blocked < std::size(OptionsFiles); ++blocked) {
        TempFolder temp;
        fs::create_directory(temp.file(OptionsFiles[blocked]));
        AppSettings s;
        EXPECT_THROW(AppSettingsFiles(SettingsFolder(temp.folder())).saveOnOptionsClose(s), FileWriteError);
        for (std::size_t i = 0; i < std::size(OptionsFiles); ++i) {
            if (i == blocked)
                continue;
            EXPECT_EQ(fs::is_regular_file(temp.file(OptionsFiles[i])), i < blocked)
                << OptionsFiles[i] << " with " << OptionsFiles[blocked] << " blocked";
        }
    }
}

TEST(AppSettingsFiles, SavingTwiceWithoutChangeWritesTheSameBytes)
{
    TempFolder temp;
    copyGoldens("sample", temp);
    const AppSettingsFiles files{SettingsFolder(temp.folder())};
    AppSettings s;
    s.FolderRules.clear(); // as if Folders.dat's own rules were all there is
    files.loadOptionsFiles(s);
    files.loadProxyIni(s);
    files.loadColorDat(s);
    files.saveOnOptionsClose(s);
    for (const char* name : OptionsFiles)
        EXPECT_EQ(readBytes(temp.file(name)), golden(std::string("sample/") + name)) << name;
}

} // namespace
