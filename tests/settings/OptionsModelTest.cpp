#include "settings/OptionsModel.h"

#include "settings/PasswordScrambler.h"
#include "settings/SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pell::settings;
using namespace pell::test;

namespace {

Lines entry(const std::string& name, const std::string& host, const std::string& port = "6667")
{
    return {name, host, port, "True", "nick" + name, "Real " + name, "user", EncodePassword("pw" + name),
            "True", "False", "True", "False"};
}

ServerList listOf(std::initializer_list<Lines> entries)
{
    Lines lines;
    for (const auto& e : entries)
        lines.insert(lines.end(), e.begin(), e.end());
    return ServerList(lines);
}

std::vector<std::string> names(const ServerList& servers)
{
    std::vector<std::string> result;
    for (std::size_t i = 0; i < servers.entryCount(); ++i)
        result.push_back(servers.line(i, ServerList::NameLine));
    return result;
}

struct Fixture {
    explicit Fixture(ServerList list = {}) : servers(std::move(list))
    {
        views.OnRebuilt = [this] { ++rebuilds; };
    }
    TempFolder temp;
    AppSettings settings;
    ServerList servers;
    ServerViews views;
    RecordingPrompts prompts;
    int rebuilds = 0;
    OptionsModel model{settings, servers, views, AppSettingsFiles(SettingsFolder(temp.folder())), prompts, "/home/u/"};

    std::string file(const char* name) const { return readBytes(temp.file(name)); }
    bool exists(const char* name) const { return std::filesystem::exists(temp.file(name)); }
};

TEST(OptionsModel, StartsWithTheDialogsInitialFieldValues)
{
    Fixture f;
    EXPECT_EQ(f.model.server().Port, "6667");
    EXPECT_TRUE(f.model.server().identity.useStandard);
    EXPECT_FALSE(f.model.server().identity.enabled());
    EXPECT_EQ(f.model.FolderExtension, "*.mp3");
    EXPECT_EQ(f.model.FolderPath, "/home/u/");
    EXPECT_EQ(f.model.extensionField(ExtensionList::Accept), "*.mp3");
    EXPECT_EQ(f.model.extensionField(ExtensionList::Disable), "*.exe");
    EXPECT_EQ(f.model.extensionField(ExtensionList::Ignore), "*.bat");
    EXPECT_EQ(f.settings.DownloadMode, -1);
    EXPECT_EQ(f.settings.ProxyType, -1);
}

TEST(OptionsModel, CreationLoadsTheFilesCopiesTheIdentityAndRebuildsTheViews)
{
    Fixture f(listOf({entry("A", "a.net")}));
    writeBytes(f.temp.file("settings.ini"), "Me\r\nMy Name\r\nme\r\n" + EncodePassword("pw") +
                                                "\r\nTrue\r\nfalse\r\nfalse\r\nTrue\r\nTrue\r\n");
    writeBytes(f.temp.file("Accept.dat"), "*.ogg\r\n");
    writeBytes(f.temp.file("Proxy.ini"), "proxy\r\n1080\r\n\r\n\r\nfalse\r\n2\r\n");
    f.model.Create();

    EXPECT_EQ(f.settings.AcceptPatterns, Lines{"*.ogg"});
    EXPECT_EQ(f.settings.ProxyType, 2);
    EXPECT_EQ(f.model.server().identity.values, (Identity{"Me", "My Name", "me", "pw", true, false, false, true}));
    EXPECT_EQ(f.rebuilds, 1);
    EXPECT_EQ(f.views.rows().size(), 1u);
    EXPECT_TRUE(f.prompts.errors.empty());
}

TEST(OptionsModel, ConversionErrorInProxyIniIsShownAfterTheViewsAreBuilt)
{
    Fixture f(listOf({entry("A", "a.net")}));
    writeBytes(f.temp.file("Proxy.ini"), "proxy\r\n1080\r\n\r\n\r\ntrue\r\nSocks5\r\n");
    f.model.Create();
    EXPECT_EQ(f.prompts.errors, Lines{"'Socks5' is not a valid integer value"});
    EXPECT_EQ(f.rebuilds, 1);
    EXPECT_EQ(f.settings.ProxyHost, "proxy");
    EXPECT_TRUE(f.settings.ProxyNeedsAuth);
    EXPECT_EQ(f.settings.ProxyType, -1);
}

TEST(OptionsModel, UseStandardSettingsCopiesTheUserTabOnlyWhenSet)
{
    Fixture f;
    f.settings.Nick = "first";
    f.settings.Operator = true;
    f.model.UseStandardSettingsChanged(true);
    EXPECT_EQ(f.model.server().identity.values.Nick, "first");
    EXPECT_TRUE(f.model.server().identity.values.Operator);

    f.settings.Nick = "second";
    EXPECT_EQ(f.model.server().identity.values.Nick, "first") << "no copy without a change of the box";

    f.model.UseStandardSettingsChanged(false);
    EXPECT_TRUE(f.model.server().identity.enabled());
    EXPECT_EQ(f.model.server().identity.values.Nick, "first") << "clearing keeps the values";

    f.model.UseStandardSettingsChanged(true);
    EXPECT_EQ(f.model.server().identity.values.Nick, "second");
}

TEST(OptionsModel, ServerListClickFillsThePanelFromTheFirstEntryOfThatName)
{
    Fixture f(listOf({entry("A", "first.net", "not a port"), entry("B", "b.net"), entry("A", "second.net")}));
    f.model.ServerListClick("A");
    const ServerEditor& panel = f.model.server();
    EXPECT_EQ(panel.Name, "A");
    EXPECT_EQ(panel.Host, "first.net");
    EXPECT_EQ(panel.Port, "not a port");
    EXPECT_TRUE(panel.AutoConnect);
    EXPECT_EQ(panel.identity.values, (Identity{"nickA", "Real A", "user", "pwA", true, false, true, false}));
    EXPECT_TRUE(panel.identity.useStandard) << "the box is left as it is";

    f.model.ServerListClick("a");
    EXPECT_EQ(f.model.server().Host, "first.net") << "names match case-sensitively";
}

TEST(OptionsModel, ServerSaveReplacesInPlaceOrAppendsAndWritesTheList)
{
    struct Case {
        const char* name;
        std::vector<std::string> expectedNames;
        std::size_t savedIndex;
    };
    const Case cases[] = {
        {"B", {"A", "B", "C"}, 1},
        {"b", {"A", "B", "C", "b"}, 3},
        {"", {"A", "B", "C", ""}, 3},
    };
    for (const auto& c : cases) {
        Fixture f(listOf({entry("A", "a"), entry("B", "b"), entry("C", "c")}));
        ServerEditor& panel = f.model.server();
        panel.Name = c.name;
        panel.Host = "new.host";
        panel.Port = "66x";
        panel.identity.values = {"my  nick", "Real", "user", "pässwort", false, true, false, true};
        f.model.ServerSave();

        EXPECT_EQ(names(f.servers), c.expectedNames) << c.name;
        EXPECT_EQ(f.servers.line(c.savedIndex, ServerList::HostLine), "new.host");
        EXPECT_EQ(f.servers.line(c.savedIndex, ServerList::PortLine), "66x") << "stored as typed";
        EXPECT_EQ(panel.identity.values.Nick, "mynick") << "shown without spaces";
        EXPECT_EQ(parseLines(f.file("SList.dat")), f.servers.lines());
        EXPECT_EQ(f.rebuilds, 1);

        f.model.ServerListClick(c.name);
        EXPECT_EQ(panel.identity.values.Password, "pässwort") << "password survives the round trip";
    }
}

TEST(OptionsModel, ServerDeleteRemovesEveryEntryOfTheNameAndAlwaysWrites)
{
    Fixture f(listOf({entry("A", "a"), entry("B", "b1"), entry("B", "b2"), entry("C", "c")}));
    f.model.server().Name = "B";
    f.model.ServerDelete();
    EXPECT_EQ(names(f.servers), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(parseLines(f.file("SList.dat")), f.servers.lines());
    EXPECT_EQ(f.model.server().Name, "B") << "the panel keeps its values";

    std::filesystem::remove(f.temp.file("SList.dat"));
    f.model.server().Name = "nobody";
    f.model.ServerDelete();
    EXPECT_TRUE(f.exists("SList.dat"));
    EXPECT_EQ(f.rebuilds, 2);
}

TEST(OptionsModel, UnwritableServerListIsReportedAndTheViewsFollowMemory)
{
    RecordingPrompts prompts;
    AppSettings settings;
    ServerList servers;
    ServerViews views;
    OptionsModel model(settings, servers, views, AppSettingsFiles(SettingsFolder("/nonexistent-pell/")), prompts, "/");
    model.server().Name = "A";
    model.ServerSave();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("SList.dat"), std::string::npos);
    EXPECT_EQ(views.rows().size(), 1u);
}

TEST(OptionsModel, ExtensionSaveSkipsAPatternTheListHoldsInAnyCase)
{
    struct Case {
        ExtensionList list;
        const char* field;
        bool added;
    };
    const Case cases[] = {
        {ExtensionList::Accept, "*.MP3", false}, {ExtensionList::Accept, "*.mp3", false},
        {ExtensionList::Accept, "*.mp4", true},  {ExtensionList::Disable, "*.Exe", false},
        {ExtensionList::Ignore, "*.lnk2", true}, {ExtensionList::Ignore, "*.LNK", false},
    };
    for (const auto& c : cases) {
        Fixture f;
        const auto before = f.model.patterns(c.list);
        f.model.extensionField(c.list) = c.field;
        f.model.ExtensionSave(c.list);
        auto expected = before;
        if (c.added)
            expected.push_back(c.field);
        EXPECT_EQ(f.model.patterns(c.list), expected) << c.field;
    }
}

TEST(OptionsModel, ExtensionDeleteRemovesTheSelectedRowOnly)
{
    Fixture f;
    f.model.ExtensionDelete(ExtensionList::Ignore, -1);
    f.model.ExtensionDelete(ExtensionList::Ignore, 1);
    EXPECT_EQ(f.settings.IgnorePatterns, Lines{"*.lnk"});
    f.model.ExtensionDelete(ExtensionList::Disable, 0);
    EXPECT_EQ(f.settings.DisablePatterns.front(), "*.bat");
    EXPECT_EQ(f.settings.DisablePatterns.size(), 7u);
}

TEST(OptionsModel, FolderRuleSaveAppendsEvenADuplicate)
{
    Fixture f;
    f.model.FolderExtension = "*.jpg";
    f.model.FolderPath = "/pics/";
    f.model.FolderRuleSave();
    f.model.FolderRuleSave();
    EXPECT_EQ(f.settings.FolderRules,
              (std::vector<FolderRule>{{"*.*", "Rootfolder"}, {"*.jpg", "/pics/"}, {"*.jpg", "/pics/"}}));
}

TEST(OptionsModel, LanguageChoiceIsStoredAndApplied)
{
    Fixture f;
    f.model.LanguageClick(1); // before anything listens
    EXPECT_EQ(f.settings.Language, 1);
    std::vector<int> applied;
    f.model.ApplyLanguage = [&](int language) { applied.push_back(language); };
    f.model.LanguageClick(0);
    f.model.LanguageClick(1);
    EXPECT_EQ(applied, (std::vector<int>{0, 1}));
    EXPECT_EQ(f.settings.Language, 1);
}

TEST(OptionsModel, EveryCloseWritesTheSettingsFiles)
{
    Fixture f;
    f.settings.Nick = "a b c";
    EXPECT_TRUE(f.model.Close());
    EXPECT_EQ(f.settings.Nick, "abc");
    for (const char* name : {"Accept.dat", "Disable.dat", "Ignore.dat", "Folders.dat", "Color.dat", "settings.ini",
                             "Proxy.ini"}) {
        EXPECT_TRUE(f.exists(name)) << name;
        std::filesystem::remove(f.temp.file(name));
    }
    EXPECT_FALSE(f.exists("SList.dat"));

    EXPECT_TRUE(f.model.Close()) << "again without any change";
    EXPECT_TRUE(f.exists("Proxy.ini"));
    EXPECT_EQ(f.file("settings.ini").substr(0, 5), "abc\r\n");
}

TEST(OptionsModel, CloseReportsAFileThatCannotBeWritten)
{
    Fixture f;
    std::filesystem::create_directory(f.temp.file("Folders.dat")); // a folder in the way
    EXPECT_FALSE(f.model.Close());
    ASSERT_EQ(f.prompts.errors.size(), 1u);
    EXPECT_NE(f.prompts.errors[0].find("Folders.dat"), std::string::npos);
    EXPECT_TRUE(f.exists("Ignore.dat"));
    EXPECT_FALSE(f.exists("Color.dat"));
}

} // namespace
