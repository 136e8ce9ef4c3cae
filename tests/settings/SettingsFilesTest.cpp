#include "settings/AppSettingsFiles.h"
#include "settings/FolderListing.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsError.h"
#include "settings/SettingsTestSupport.h"
#include "settings/TemplateStore.h"
#include "support/CaseFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace pell::settings;
using namespace pell::test;
using namespace std::string_literals;
namespace fs = std::filesystem;
namespace hook = pell::settings::testing;

namespace {

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Table: tests/data/settings/mappings.txt.
TEST(LineText, SplitsAtEveryLineEndStopsAtNulReadsNumbersStrictlyAndFindsTemplates)
{
    const std::map<std::string, std::function<Lines(const Case&)>> functions = {
        {"lines", [](const Case& c) { return parseLines(c.one("in")); }},
        {"int", [](const Case& c) {
             try {
                 return Lines{std::to_string(ParseInt32(c.one("in")))};
             } catch (const ConversionError& error) {
                 return Lines{error.what()};
             }
         }},
        {"template-names", [](const Case& c) { return TemplateStore(c.lines("in")).names(); }},
        {"same-name", [](const Case& c) { return Lines{TemplateStore::SameName(c.one("in"), c.one("name")) ? "yes" : "no"}; }},
        {"template-body", [](const Case& c) {
             return TemplateStore(c.lines("in")).body(c.one("name")).value_or(Lines{"none"});
         }}};
    for (const auto& c : readCases("settings/mappings.txt"))
        EXPECT_EQ(functions.at(c.name)(c), c.lines("out")) << c.name << " of " << c.one("in");
    EXPECT_EQ(joinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    EXPECT_EQ(removeSpaces(" a b\tc "), "ab\tc"); // only the space character
}

// Known values and round trips come from the golden files; here the key's wrap.
TEST(PasswordScrambler, KeyWrapsAfterSeventeenLetters)
{
    const std::string scrambled = EncodePassword(std::string(18, '\xff'));
    EXPECT_EQ(static_cast<unsigned char>(scrambled[16]), ('c' + 255) % 256);
    EXPECT_EQ(scrambled[17], scrambled[0]);
    EXPECT_EQ(DecodePassword(scrambled), std::string(18, '\xff'));
    // 0x9c + "q" is CR, 0x99 + "q" LF, 0x94 + "l" (second letter) NUL: each would break its line.
    for (const char* refused : {"\x9c", "\x99", "a\x94"})
        EXPECT_THROW(EncodePassword(refused), SettingsError) << refused;
}

TEST(SettingsFolder, FolderIsNoFileEmptyFileHasNoLinesAndAFailedWriteKeepsTheOldFile)
{
    TempFolder temp;
    const SettingsFolder folder(temp.path().string()); // the missing "/" is added
    // A file that exists but cannot be read is reported once and never written over.
    fs::create_directory(temp.file("Color.dat"));
    EXPECT_EQ(folder.read(SettingsFile::Color), std::nullopt);
    EXPECT_THROW(folder.reportReadErrors(), SettingsError);
    EXPECT_NO_THROW(folder.reportReadErrors());
    folder.write(SettingsFile::Color, {"1"});
    EXPECT_TRUE(fs::is_directory(temp.file("Color.dat")));
    // A value with a line end or NUL would move every later line: refused, file kept.
    for (const std::string& bad : Lines{"a\rb", "a\nb", std::string("a\0b", 3)})
        EXPECT_THROW(folder.write(SettingsFile::Accept, {"x", bad}), SettingsError);
    writeBytes(temp.file("Accept.dat"), "");
    EXPECT_EQ(folder.read(SettingsFile::Accept), Lines{});
    EXPECT_EQ(readBytes(temp.file("Accept.dat")), "");
    EXPECT_THROW(SettingsFolder(temp.folder() + "no/such/").write(SettingsFile::Color, {"1"}), FileWriteError);
    const std::string path = folder.pathOf(SettingsFile::SList), old = "Libera\r\nirc.libera.chat\r\n";
    writeBytes(path, old);
    // Never read in this run: what is in memory did not come from it.
    EXPECT_THROW(folder.write(SettingsFile::SList, {"x"}), FileWriteError);
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(folder.read(SettingsFile::SList), (Lines{"Libera", "irc.libera.chat"}));
    hook::afterWriteChunk = [](std::size_t written) { return written < 3 * hook::WriteChunkSize; }; // disk full
    EXPECT_THROW(folder.write(SettingsFile::SList, Lines(5000, "a line long enough for several chunks")),
                 FileWriteError);
    hook::afterWriteChunk = nullptr;
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(entriesIn(temp.path()), 3u); // no temporary file left behind
}

const char* const OptionsFiles[] = {"Accept.dat", "Disable.dat", "Ignore.dat", "Folders.dat",
                                    "Color.dat",  "settings.ini", "Proxy.ini", "Extras.dat"};

// Files with passwords are private, also when an older file was not.
void expectGoldens(const TempFolder& temp, const std::string& set)
{
    for (const std::string name : OptionsFiles) {
        EXPECT_EQ(readBytes(temp.file(name)), golden(set + "/" + name)) << set << "/" << name;
        EXPECT_EQ(modeOf(temp.file(name)), name == "settings.ini" || name == "Proxy.ini" ? 0600u : 0644u) << name;
    }
}

// Every field of the sample differs from its default, so each line is read and written.
TEST(AppSettingsFiles, DefaultsAndTheSampleLoadAndSaveAsTheGoldenBytes)
{
    TempFolder fresh;
    AppSettings defaults;
    AppSettingsFiles(SettingsFolder(fresh.folder())).saveOnOptionsClose(defaults);
    expectGoldens(fresh, "defaults");
    EXPECT_EQ(entriesIn(fresh.path()), 8u);

    TempFolder temp;
    for (const auto& entry : fs::directory_iterator(std::string(PELL_TEST_DATA) + "/settings/sample")) {
        fs::copy_file(entry.path(), temp.path() / entry.path().filename());
        fs::permissions(temp.path() / entry.path().filename(), fs::perms(0666));
    }
    const AppSettingsFiles files{SettingsFolder(temp.folder())};
    AppSettings s;
    files.loadOptionsFiles(s);
    EXPECT_TRUE(files.loadProxyIni(s));
    EXPECT_TRUE(files.loadColorDat(s));
    EXPECT_TRUE(files.loadExtrasDat(s));
    AppSettings expected{.FlashOnMessage = true,
        .OwnColour = 16711680, .OthersColour = 1, .SystemColour = 2, .ActionColour = 3, .ScriptDelay = "1500",
        .Language = Language::German, .ProxyHost = "proxy.local", .ProxyPort = "1080", .ProxyUser = "bob", .ProxyPassword = "pw",
        .ProxyNeedsAuth = true, .ProxyType = ProxyType::Socks5, .AcceptPatterns = {"*.mp3", "*.ogg"}, .DisablePatterns = {"*.exe"},
        .IgnorePatterns = {"*.lnk", "*.tmp"}, // Folders.dat's rules replace the default rule,
        .FolderRules = {{"*.*", "Rootfolder"}, {"*.mp3", "/home/u/Music"}}, // so the file never grows
        .HighlightMentions = false, .NotifyMentions = false, .MentionColour = 255, .MentionWords = "pell, coffee",
        .AutoReconnect = true, .TimeStamps = true, .WriteLogs = true, .OfferAddress = OfferAddress::AsServerSees,
        .TypedOfferAddress = "192.0.2.7", .FirstDccPort = "50100", .LastDccPort = "50110", .OfferFilesPassively = true};
    setIdentity(expected, {"mynick", "Real Name", "user", "abc", true, true, true, true});
    EXPECT_EQ(s, expected);

    s.Nick = " my nick "; // saving removes the spaces, in memory too
    files.saveOnOptionsClose(s);
    EXPECT_EQ(s.Nick, "mynick");
    expectGoldens(temp, "sample");
}

TEST(AppSettingsFiles, EachFileAppliesTheLinesItHasByItsOwnRules)
{
    std::string patterns; // ten megabytes
    while (patterns.size() < 10 << 20)
        patterns += "*.ext\r\n";
    // The file, its bytes and what they change in the defaults.
    const std::tuple<const char*, std::string, std::function<void(AppSettings&)>> cases[] = {
        // Only "True" is true in settings.ini, only "true" in Proxy.ini.
        {"settings.ini", "n\r\n\r\n\r\n\r\ntrue\r\nTRUE\r\nTrue \r\n1\r\nTrue",
         [](AppSettings& s) {
             s.Nick = "n";
             s.FlashOnMessage = true;
         }},
        {"Proxy.ini", "h\r\n110\r\n\r\n\r\nTrue\r\n-1", [](AppSettings& s) { s.ProxyHost = "h"; }},
        {"Color.dat", "1\r\n2", [](AppSettings& s) {
             s.OwnColour = 1;
             s.OthersColour = 2;
         }},
        {"Accept.dat", "*.txt\r\n", [](AppSettings& s) { s.AcceptPatterns = {"*.txt"}; }},
        {"Disable.dat", "", [](AppSettings& s) { s.DisablePatterns.clear(); }},
        {"Ignore.dat", patterns, [&](AppSettings& s) { s.IgnorePatterns = Lines(patterns.size() / 7, "*.ext"); }},
        {"Folders.dat", "*.mp3\r\n/m\r\n*.avi", [](AppSettings& s) { s.FolderRules = {{"*.mp3", "/m"}}; }},
        {"Folders.dat", "*.avi", [](AppSettings&) {}}, // no rule: the default one stays
    };
    for (const auto& [file, bytes, change] : cases) {
        SCOPED_TRACE(file);
        TempFolder temp;
        writeBytes(temp.file(file), bytes);
        const AppSettingsFiles files{SettingsFolder(temp.folder())};
        AppSettings loaded, expected;
        files.loadOptionsFiles(loaded);
        files.loadProxyIni(loaded);
        files.loadColorDat(loaded);
        change(expected);
        EXPECT_EQ(loaded, expected);
    }
}

TEST(AppSettingsFiles, ConversionErrorStopsTheFileAtItsLine)
{
    AppSettings s, expected;
    EXPECT_THROW(applyColorDat(s, {"1", "2", "x3", "4"}), ConversionError);
    expected.OwnColour = 1;
    expected.OthersColour = 2;
    EXPECT_EQ(s, expected);
    EXPECT_THROW(applyColorDat(s, {std::string(10 << 20, '9')}), ConversionError); // ten megabytes of digits
    EXPECT_EQ(s, expected);
}

TEST(AppSettingsFiles, SaveSequenceStopsAtTheFirstFileThatCannotBeWritten)
{
    for (std::size_t blocked = 0; blocked < std::size(OptionsFiles); ++blocked) {
        TempFolder temp;
        fs::create_directory(temp.file(OptionsFiles[blocked]));
        AppSettings s;
        EXPECT_THROW(AppSettingsFiles(SettingsFolder(temp.folder())).saveOnOptionsClose(s), FileWriteError);
        for (std::size_t i = 0; i < std::size(OptionsFiles); ++i)
            EXPECT_EQ(fs::is_regular_file(temp.file(OptionsFiles[i])), i < blocked)
                << OptionsFiles[i] << " with " << OptionsFiles[blocked] << " blocked";
    }
}

// Table: tests/data/settings/program-folder.txt.
TEST(ProgramFolder, HomeVariableThenWritableProgramFolderThenXdgConfig)
{
    for (const auto& c : readCases("settings/program-folder.txt")) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        const auto place = [&](const std::string& key) {
            const std::string v = c.one(key);
            return !c.has(key) ? std::nullopt : std::optional(v.starts_with("/") ? temp.path().string() + v : v);
        };
        fs::create_directories(temp.file("bin"));
        const std::string folder = resolveProgramFolder({place("home"), place("xdg"), temp.file("home"),
            c.has("writable") ? temp.file(c.one("writable") == "bin" ? "bin/pell-irc" : "pell-irc") : "/nonexistent-pell/bin/pell-irc"});
        EXPECT_EQ(folder, temp.folder() + c.one("folder"));
        EXPECT_EQ(modeOf(folder), 0700u) << folder; // created private
    }
    TempFolder temp; // a config folder that exists keeps its mode
    fs::create_directories(temp.file("xdg/pell-irc"));
    fs::permissions(temp.file("xdg/pell-irc"), fs::perms(0755));
    EXPECT_EQ(resolveProgramFolder({std::nullopt, temp.file("xdg"), std::nullopt, "/nonexistent-pell/bin/pell-irc"}),
              temp.file("xdg/pell-irc/"));
    EXPECT_EQ(modeOf(temp.file("xdg/pell-irc")), 0755u);
    EXPECT_TRUE(ProgramFolder().starts_with('/')) << ProgramFolder();
    EXPECT_TRUE(ProgramFolder().ends_with('/')) << ProgramFolder();
    EXPECT_EQ(defaultDownloadFolder("/opt/pell"), "/opt/pell/Downloads/");
}

TEST(FolderListing, ListsVisibleFoldersOnlySortedWithoutRegardToCase)
{
    TempFolder temp;
    for (const char* name : {"beta", "Alpha", "gamma", ".hidden", "alpha2", "ALPHA"})
        fs::create_directory(temp.path() / name);
    writeBytes(temp.file("afile"), "x");
    fs::create_directory_symlink(temp.path() / "gamma", temp.path() / "Delta");
    EXPECT_EQ(subfolderNames(temp.folder()), (Lines{"ALPHA", "Alpha", "alpha2", "beta", "Delta", "gamma"}));
    EXPECT_TRUE(hasSubfolders(temp.folder()));
    EXPECT_FALSE(hasSubfolders(temp.file("beta")));
    EXPECT_EQ(subfolderNames("/nonexistent-pell-folder").size() + subfolderNames(temp.file("afile")).size(), 0u);
    EXPECT_EQ(childFolder("/", "home"), "/home");
    EXPECT_EQ(childFolder("/home", "u"), "/home/u");
}

const std::string M = TemplateStore::Marker;

TEST(TemplateStore, AppendSortRemoveAndTheGoldenFileKeepEveryTemplateComplete)
{
    TemplateStore store({"lead"});
    store.append("one", {"1a", "1b"});
    store.append("two", {"2a"});
    store.append("Three", {});
    EXPECT_EQ(store.names(), (Lines{"one", "two", "Three"}));
    EXPECT_EQ(store.sortedNames(), (Lines{"one", "Three", "two"}));
    EXPECT_TRUE(store.remove("two"));
    EXPECT_FALSE(store.remove("two"));
    EXPECT_FALSE(store.remove("lead"));
    EXPECT_EQ(store.lines(), (Lines{"lead", M, "one", "1a", "1b", M, "Three"}));

    TempFolder temp; // the golden file loads and is written back unchanged
    const SettingsFolder folder(temp.folder());
    EXPECT_FALSE(store.load(folder));
    writeBytes(temp.file("Template.dat"), golden("sample/Template.dat"));
    ASSERT_TRUE(store.load(folder));
    EXPECT_EQ(store.names(), (Lines{"greet", "empty"}));
    fs::remove(temp.file("Template.dat"));
    store.save(folder);
    EXPECT_EQ(readBytes(temp.file("Template.dat")), golden("sample/Template.dat"));
    EXPECT_EQ(modeOf(temp.file("Template.dat")), 0644u);
}

TEST(ServerList, FindFillsTheProfileFromTheFirstEntryOfExactlyThatName)
{
    const ServerList list = serverList({serverEntry("a"), serverEntry("b", "7000", "True"), serverEntry("b", "1")});
    ServerProfile profile;
    ASSERT_TRUE(list.FindProfileByName("b", profile));
    EXPECT_EQ(profile, (ServerProfile{{"nick", "Real b", "user", "pw-b", true, false, true, false}, "b", "host.b", 7000, true}));
    for (const char* miss : {"B", "b ", "", "c"})
        EXPECT_FALSE(list.FindProfileByName(miss, profile)) << miss;
    EXPECT_EQ(profile.Port, 7000); // untouched by a miss

    Lines withTail = serverEntry("a"); // an incomplete entry at the end is no entry
    const Lines tail = serverEntry("t");
    withTail.insert(withTail.end(), tail.begin(), tail.end() - 1);
    ServerList cut(withTail);
    EXPECT_FALSE(cut.FindProfileByName("t", profile));
    // Stored after such a tail, an entry is filled up first, never written off the grid.
    cut.storeEntry(serverEntry("n"));
    EXPECT_EQ(cut.entryCount(), 3u);
    EXPECT_TRUE(cut.FindProfileByName("n", profile));
}

TEST(ServerList, StoreReplacesTheFirstOfItsNameOrAppendsAndDeleteRemovesEveryOne)
{
    ServerList list = serverList({serverEntry("a"), serverEntry("b"), serverEntry("b"), serverEntry("c")});
    list.storeEntry(serverEntry("b", "1"));
    list.storeEntry(serverEntry("B")); // names match case-sensitively
    EXPECT_EQ(list.lines(), serverList({serverEntry("a"), serverEntry("b", "1"), serverEntry("b"), serverEntry("c"),
                                        serverEntry("B")}).lines());
    list.deleteEntries("b");
    EXPECT_EQ(list.lines(), serverList({serverEntry("a"), serverEntry("c"), serverEntry("B")}).lines());
}

TEST(ServerList, SavedListMatchesTheGoldenFile)
{
    TempFolder temp;
    const SettingsFolder folder(temp.folder());
    ServerList list;
    EXPECT_FALSE(list.load(folder));
    list.storeEntry(ServerList::entryLines(
        {{"pell", "Pell User", "pell", "", false, true, false, false}, "Libera", "irc.libera.chat", 6667, true}));
    list.storeEntry(ServerList::entryLines({{"a b", "", "u", "xyz", true, true, true, true}, "Net & Co", "127.0.0.1", 0, false},
                                           "6697"));
    list.save(folder);
    EXPECT_EQ(readBytes(temp.file("SList.dat")), golden("sample/SList.dat"));
    EXPECT_EQ(modeOf(temp.file("SList.dat")), 0600u);
}

} // namespace
